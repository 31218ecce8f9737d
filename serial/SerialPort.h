#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "platform/Result.h"
#include "serial/OpenFailure.h"
#include "serial/ReceiveFramer.h"
#include "serial/SerialDevice.h"

// Called on the monitor thread with a received frame: 7 bytes starting with
// 0xFF, or whatever was collected (0 to 6 bytes) when the input ran dry. The
// bytes are valid only during the call. It runs with no lock held; calling
// CloseComm from it is not supported (CloseComm joins the monitor thread).
using ReceiveCallback = void (*)(uint8_t* data, uint32_t count);

// Called once on the monitor thread when the line is lost while the port is
// open (see LineLossKind). It must not call CloseComm; the owner closes the
// port from its own thread.
using LineLostCallback = std::function<void()>;

enum class LineLossKind {
    None,
    Gone,     // the device went away or hung up
    Stalled,  // a write had no byte taken for WriteTimeouts::constantMs (1 s)
};

struct LineLoss {
    LineLossKind kind = LineLossKind::None;
    // Frames SendBytes accepted that never went out, the one cut off included.
    uint32_t framesNotWritten = 0;
};

// Sees every block read from the line and every frame written to it, on the
// monitor thread, stamped with the milliseconds since the port was opened.
// Received blocks are raw, before the framing the receive callback gets, so
// frames of either protocol can be read from them.
class LineTap {
public:
    enum class Direction { Sent, Received };
    virtual ~LineTap() = default;
    virtual void OnLine(Direction direction, uint32_t msSinceOpen, const uint8_t* data,
                        uint32_t size) = 0;
};

// One serial port: opened exclusively, configured from the line settings, and
// served by one monitor thread that does every read and write. SendBytes
// queues a frame; the thread writes queued frames in order, one write each.
class CSerialPort {
public:
    static constexpr uint32_t kSendSlotSize = 1024;
    // 64 frames of 7 bytes are about half a second of line at 9600 baud: room
    // for a burst of button frames or a replay catching up, while a stop
    // queued behind a full queue still goes out within that half second, and
    // a close takes no longer. The frames live in the port (64 KiB), so a send
    // never allocates.
    static constexpr uint32_t kSendQueueDepth = 64;
    static constexpr uint32_t kFrameSize = 7;
    // Received bytes are read in blocks of at most this many.
    static constexpr uint32_t kReadBlock = 4096;

    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Port number n opens "COMn" (see platform/PortMap.h). Returns 1 when the
    // port is open and monitored, 0 with the port closed otherwise.
    int OpenComm(ReceiveCallback callback, unsigned portNumber, unsigned baudRate, char parity,
                 unsigned dataBits, unsigned stopBits);
    int CloseComm();
    int IsCommOpen() const;
    int StartMonitor();
    // 1 when the frame is queued; it will be written unless the line is lost.
    // 0, queueing nothing, when the port is closed or its line was lost, the
    // queue is full, data is null with a length, or length > 1024.
    int SendBytes(const uint8_t* data, uint32_t length);
    // Blocks until the queue has room: true. False at once when the port is
    // closed or its line lost, or once `abort` is requested or `limit` passed.
    bool WaitForRoom(const std::stop_token& abort,
                     std::chrono::milliseconds limit = std::chrono::milliseconds::max());
    // Why the last OpenComm failed (kind None after one that succeeded).
    const OpenFailure& LastOpenFailure() const;
    // The same for the operator: the path opened (or "COMn"), the system's
    // error and DescribeOpenFailure's text; ok after an open that succeeded.
    // Made when asked, so a silent reopen does not look up the device's holders.
    orvane::Result LastOpenResult() const;
    // 1 once the line was lost under an open port; cleared by OpenComm.
    int IsLineLost() const;
    // Why the line was lost and what it cost; kind None while it was not.
    // Cleared by OpenComm, kept by CloseComm.
    LineLoss LastLineLoss() const;
    // Takes effect at the next OpenComm.
    void SetLineLostCallback(LineLostCallback callback);
    // Null removes it. Once this returns the old tap is not called again. With
    // none set, the monitor thread pays one atomic load per read and write.
    void SetLineTap(LineTap* tap);

private:
    // Test seam: the monitor's steps and thread start, reached only through this friend.
    friend class SerialPortProbe;
    enum class MonitorStep { Started, Wake, Receive, TakeFrame, WriteDone, WriteAbandoned };

    struct QueuedFrame {
        uint32_t size = 0;
        uint8_t bytes[kSendSlotSize] = {};
    };

    // Kind None when the port is open and monitored.
    OpenFailure TryOpen(ReceiveCallback callback, unsigned portNumber,
                        const LineSettings& settings);
    void MonitorThread();
    // Returns whether any byte was read.
    bool ReceivePending();
    void HandOnFrame();
    // Writes the oldest queued frame; false when there was none.
    bool WriteNext();
    void LoseLine(LineLossKind kind);
    void Step(MonitorStep step);
    void Tap(LineTap::Direction direction, const uint8_t* data, uint32_t size);

    ReceiveCallback m_pfnReceive = nullptr;
    std::thread m_hMonitor;
    SerialDevice m_hPort;
    DeviceEvent m_hSendEvent;
    DeviceEvent m_hStopEvent;
    // Guards the device. Held for a whole write, so SendBytes never takes it.
    std::mutex m_lock;
    // Guards the queue's bookkeeping, the open and lost flags and the loss;
    // held only to copy a frame in or to take or drop frames.
    mutable std::mutex m_queueLock;
    std::condition_variable_any m_roomFreed;
    WriteTimeouts m_timeouts;
    OpenFailure m_lastOpenFailure;
    LineSettings m_dcb;
    std::atomic<bool> m_bOpen{false};
    std::atomic<bool> m_bLineLost{false};
    LineLoss m_lineLoss;
    LineLostCallback m_pfnLineLost;
    std::mutex m_tapLock;  // held while the tap runs, so removing it waits for that
    LineTap* m_pTap = nullptr;
    std::atomic<bool> m_bTapSet{false};
    std::chrono::steady_clock::time_point m_openedAt;
    // A ring: the oldest frame at m_nQueueHead. It stays queued while it is
    // written, so SendBytes never fills the slot being written from.
    QueuedFrame m_queue[kSendQueueDepth];
    uint32_t m_nQueueHead = 0;
    uint32_t m_nQueued = 0;

    // Owned by the monitor thread while it runs.
    uint8_t m_ReadBuffer[kReadBlock] = {};
    ReceiveFramer m_framer;
    LineLostCallback m_notifyLineLost;
    bool m_bWatchLine = true;
    uint32_t m_nEmptyPasses = 0;
    std::function<void(MonitorStep)> m_stepHook;
    // Runs just before the monitor thread is created; a test makes it throw.
    std::function<void()> m_threadStartHook;
};
