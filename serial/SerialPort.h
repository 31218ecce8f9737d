#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "serial/OpenFailure.h"
#include "serial/ReceiveFramer.h"
#include "serial/SerialDevice.h"

// Called on the monitor thread with a received frame: 7 bytes starting with
// 0xFF, or whatever was collected (0 to 6 bytes) when the input ran dry. The
// bytes are valid only during the call. It runs with no lock held; calling
// CloseComm from it is not supported (CloseComm joins the monitor thread).
using ReceiveCallback = void (*)(uint8_t* data, uint32_t count);

// Called once on the monitor thread when the device goes away while the port
// is open (unplugged, hung up). It must not call CloseComm; the owner closes
// the port from its own thread.
using LineLostCallback = std::function<void()>;

// One serial port: opened exclusively, configured from the line settings, and
// served by one monitor thread that does every read and write. SendBytes is a
// one-slot mailbox: a later request replaces one the thread has not taken yet.
class CSerialPort {
public:
    static constexpr uint32_t kSendSlotSize = 1024;
    static constexpr uint32_t kFrameSize = 7;
    // Received bytes are read in blocks of at most this many.
    static constexpr uint32_t kReadBlock = 4096;

    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Port number n opens "COMn" (see platform/PortName.h). Returns 1 when the
    // port is open and monitored, 0 with the port closed otherwise.
    int OpenComm(ReceiveCallback callback, unsigned portNumber, unsigned baudRate, char parity,
                 unsigned dataBits, unsigned stopBits);
    int CloseComm();
    int IsCommOpen() const;
    int StartMonitor();
    // 0 when the port is closed or its line was lost, data is null with a
    // length, or length > 1024.
    int SendBytes(const uint8_t* data, uint32_t length);
    // Why the last OpenComm failed (kind None after one that succeeded); see
    // DescribeOpenFailure in serial/OpenFailure.h for the operator's text.
    const OpenFailure& LastOpenFailure() const;
    // 1 once the device went away under an open port; cleared by OpenComm.
    int IsLineLost() const;
    // Takes effect at the next OpenComm.
    void SetLineLostCallback(LineLostCallback callback);

private:
    // Tests reach the monitor's steps through this friend; nothing else does.
    friend class SerialPortProbe;
    enum class MonitorStep { Started, Wake, Receive, TakeSlot, WriteDone, WriteAbandoned };

    bool TryOpen(ReceiveCallback callback, unsigned portNumber, const LineSettings& settings,
                 OpenFailure& why);
    void MonitorThread();
    // Returns whether any byte was read.
    bool ReceivePending();
    void HandOnFrame();
    void WritePending();
    void LoseLine();
    void Step(MonitorStep step);

    ReceiveCallback m_pfnReceive = nullptr;
    std::thread m_hMonitor;
    SerialDevice m_hPort;
    DeviceEvent m_hSendEvent;
    DeviceEvent m_hStopEvent;
    // Guards the device. Held for a whole write, so SendBytes never takes it.
    std::mutex m_lock;
    // Guards the send slot and the open flag; held only to copy the slot.
    std::mutex m_slotLock;
    WriteTimeouts m_timeouts;
    OpenFailure m_lastOpenFailure;
    LineSettings m_dcb;
    std::atomic<bool> m_bOpen{false};
    std::atomic<bool> m_bLineLost{false};
    LineLostCallback m_pfnLineLost;
    uint8_t m_SendBuffer[kSendSlotSize] = {};
    uint32_t m_nSendSize = 0;
    bool m_bSendPending = false;

    // Owned by the monitor thread while it runs.
    uint8_t m_WriteBuffer[kSendSlotSize] = {};
    uint8_t m_ReadBuffer[kReadBlock] = {};
    ReceiveFramer m_framer;
    LineLostCallback m_notifyLineLost;
    bool m_bWatchLine = true;
    uint32_t m_nEmptyPasses = 0;
    std::function<void(MonitorStep)> m_stepHook;
    // Runs just before the monitor thread is created; a test makes it throw.
    std::function<void()> m_threadStartHook;
};
