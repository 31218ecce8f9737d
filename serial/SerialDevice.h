#pragma once

// The device layer under CSerialPort: every call into the operating system's
// serial, poll and event interfaces lives behind this header, so the port's
// logic stays portable. Not part of the folder's public interface; the POSIX
// details are in SerialDevicePosix.h.

#include <cstdint>
#include <memory>
#include <string>

#include "serial/OpenFailure.h"
#include "serial/PortLock.h"

struct NetworkTarget;
class NetworkDevice;

// What a device-layer call came to, for the port's own control flow (retry,
// wait, give up); failures reported upward are orvane::Result.
enum class DeviceResult {
    Ok,
    WouldBlock,   // nothing to read, or no room to write, right now
    Interrupted,  // a signal arrived; try again
    TimedOut,     // the deadline passed; the transfer was abandoned
    Busy,         // someone else holds the device
    Unsupported,  // the device has no such feature, or refuses the value
    Gone,         // the device went away or hung up
    Failed,
};

struct LineSettings {
    unsigned baudRate = 0;
    char parity = 0;
    unsigned dataBits = 0;
    unsigned stopBits = 0;
};

// The same check without a device, so a bad request never touches the line.
bool LineSettingsValid(const LineSettings& settings);

// Windows-style write time-outs: the whole write may take constant + perByte
// times its length; and a line that takes no byte for `constantMs` is treated
// as stalled, so a dead line costs about a second, not minutes.
struct WriteTimeouts {
    uint32_t perByteMs = 1000;
    uint32_t constantMs = 1000;
};

// A manual-reset event that a thread can wait on together with the device:
// it stays signalled until Reset.
class DeviceEvent {
public:
    DeviceEvent() = default;
    ~DeviceEvent();
    DeviceEvent(const DeviceEvent&) = delete;
    DeviceEvent& operator=(const DeviceEvent&) = delete;

    bool Create();
    void Close();
    bool IsCreated() const { return m_fd >= 0; }
    bool Signal();
    void Reset();
    // True once the event is signalled; false when `ms` passed first.
    bool WaitFor(uint32_t ms) const;
    int Descriptor() const { return m_fd; }

private:
    int m_fd = -1;
};

class SerialDevice {
public:
    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens `path` for this process alone and remembers its settings, which
    // Close puts back. On failure fills the kind and error of `why`, if given.
    DeviceResult Open(const std::string& path, OpenFailure* why = nullptr);
    // The same for a COM entry that leads to a serial device server; every
    // call below then goes to the network backend.
    DeviceResult OpenNetwork(const NetworkTarget& target, OpenFailure* why = nullptr);
    bool IsOpen() const { return Descriptor() >= 0; }
    // Applies the settings and checks that the speed took.
    DeviceResult Configure(const LineSettings& settings);
    // Unsupported on a device without modem lines, such as a pty.
    DeviceResult RaiseRts();
    // Discards received bytes not read yet.
    DeviceResult DiscardInput();
    DeviceResult QueuedInput(uint32_t& count) const;
    // Reads what is queued, up to `capacity` bytes; Ok with `got` 0 when
    // nothing was there.
    DeviceResult Read(uint8_t* buffer, uint32_t capacity, uint32_t& got);
    // Writes all bytes and waits until the line has sent them. On any other
    // result than Ok whatever was still queued for output has been discarded.
    DeviceResult Write(const uint8_t* data, uint32_t length, const WriteTimeouts& timeouts);
    void Close();
    int Descriptor() const;

private:
    DeviceResult WriteAndDrain(const uint8_t* data, uint32_t length, const WriteTimeouts& timeouts);
    DeviceResult WaitWritable(int timeoutMs) const;
    uint32_t MsPerChar() const;

    int m_fd = -1;
    bool m_bExclusive = false;
    UucpLock m_uucpLock;
    unsigned m_nBitsPerChar = 10;
    unsigned m_nBaudRate = 9600;
    // The settings found at open, put back at close; backend-defined.
    struct SavedState;
    std::unique_ptr<SavedState> m_pSaved;
    std::unique_ptr<NetworkDevice> m_pNet;
};

enum class WaitOutcome { Stop, Send, Line, Hangup, Interrupted, Failed };

// Waits with no time limit for the stop event, the send event and input on
// the device (only when `watchInput`). When several are ready the first in
// that order wins: a pending send goes out before more input is read, so a
// flood of received bytes cannot hold it back. Hangup: the device reported
// an error or hang-up.
WaitOutcome WaitForEvents(const DeviceEvent& stop, const SerialDevice& device, bool watchInput,
                          const DeviceEvent& send);
