#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "ptz/PtzCodes.h"

class CSerialPort;

// A PTZ protocol driver: each operation builds one frame for one camera
// address, keeps it in m_Buffer and queues it on the serial port (when there
// is one). Operations return 0, or 1 from the Pelco-P address guard. A code
// outside a driver's table builds and sends nothing and leaves the last frame.
// A driver takes no lock: one thread at a time.
class PtzBase {
public:
    static constexpr uint32_t kBufferSize = 512;

    PtzBase(CSerialPort* port, uint32_t address);
    virtual ~PtzBase();
    PtzBase(const PtzBase&) = default;
    PtzBase& operator=(const PtzBase&) = default;

    virtual int PresetAction(uint32_t op, uint32_t id) = 0;
    virtual int Action(int direction, uint32_t speed1, uint32_t speed2) = 0;
    virtual int Iris(uint32_t op, uint32_t speed) = 0;
    virtual int Zoom(uint32_t op, uint32_t speed) = 0;
    virtual int Focus(uint32_t op, uint32_t speed) = 0;
    virtual int Auto(uint32_t op, uint32_t param) = 0;
    virtual int Switch(uint32_t op, uint32_t on) = 0;
    virtual int Stop() = 0;
    virtual int Shot() = 0;
    virtual int ManualAction(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) = 0;
    virtual int AutoAction(const uint8_t* frame, uint32_t length) = 0;
    // The frame ManualAction would build for these bytes, built the same way
    // but neither sent nor kept as the last frame. Empty for a driver that
    // has no manual frame.
    virtual std::vector<uint8_t> ManualFrame(uint8_t, uint8_t, uint8_t, uint8_t) const {
        return {};
    }
    // The highest pan/tilt speed the protocol has. Callers clamp to it:
    // Action keeps only the low byte, so 256 would go out as speed 0.
    virtual uint32_t TopSpeed() const { return 0xFF; }
    // The check byte `frame` must end with when it has this protocol's length
    // and fixed bytes (any address), so a frame typed whole can be checked
    // before AutoAction sends it as it is. Nullopt for any other bytes.
    virtual std::optional<uint8_t> WholeFrameCheck(const uint8_t*, std::size_t) const {
        return std::nullopt;
    }

    void SetDeviceType(uint32_t type) { m_nDeviceType = type; }
    int GetDeviceType() const { return static_cast<int>(m_nDeviceType); }
    void SetAddress(uint32_t address) { m_nAddress = address; }
    int GetAddress() const { return static_cast<int>(m_nAddress); }

    // Copies the last frame to dest. `size` is the room at dest on entry and
    // the frame length on success. Returns 0 (nothing changed) when dest is
    // null or the room is too small, else 1.
    int CopyBuffer(uint8_t* dest, uint32_t& size) const;

    const uint8_t* Buffer() const { return m_Buffer; }
    uint32_t BufferLen() const { return m_nBufferLen; }
    // The port did not take the last frame (closed, its line lost or its queue
    // full), so it must not be listed as sent. A driver without a port refuses
    // nothing.
    bool LastFrameRefused() const { return m_bLastRefused; }
    // Blocks until the port has room for a frame, so a sender faster than the
    // line waits rather than have frames refused. True at once without a port;
    // false when the port is closed or its line lost, or once `abort` is
    // requested.
    bool WaitForRoom(const std::stop_token& abort,
                     std::chrono::milliseconds limit = std::chrono::milliseconds::max()) const;

protected:
    // Queues the first m_nBufferLen bytes of m_Buffer when a port is set.
    void SendFrame();

    uint8_t m_Buffer[kBufferSize];
    uint32_t m_nBufferLen;
    CSerialPort* m_pSerialPort;  // not owned
    uint32_t m_nDeviceType;
    uint32_t m_nAddress;
    bool m_bLastRefused = false;
};
