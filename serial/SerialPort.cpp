#include "serial/SerialPort.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "platform/NetworkPort.h"
#include "platform/PortBindings.h"
#include "platform/PortMap.h"

namespace {

// A wait that failed outright is retried after this pause, so the thread
// cannot spin on it.
constexpr uint32_t kRetryPauseMs = 100;

// Input that is reported again and again but never yields a byte means the
// driver is broken; past this many such line events it is no longer watched.
constexpr uint32_t kMaxEmptyPasses = 64;

std::string LineText(const LineSettings& s) {
    return std::to_string(s.baudRate) + " " + std::to_string(s.dataBits) + s.parity +
           std::to_string(s.stopBits);
}

}  // namespace

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort() {
    CloseComm();
}

int CSerialPort::OpenComm(ReceiveCallback callback, unsigned portNumber, unsigned baudRate,
                          char parity, unsigned dataBits, unsigned stopBits) {
    CloseComm();
    {
        std::lock_guard<std::mutex> queue(m_queueLock);
        m_bLineLost = false;
        m_lineLoss = LineLoss{};
    }
    m_lastOpenFailure =
        TryOpen(callback, portNumber, LineSettings{baudRate, parity, dataBits, stopBits});
    if (m_lastOpenFailure.kind == OpenFailureKind::None) {
        return 1;
    }
    CloseComm();
    return 0;
}

OpenFailure CSerialPort::TryOpen(ReceiveCallback callback, unsigned portNumber,
                                 const LineSettings& settings) {
    OpenFailure why;
    why.portNumber = portNumber;
    why.kind = OpenFailureKind::BadRequest;
    // Settings are checked before the device is touched: opening a real port
    // already raises its modem lines.
    why.path = ResolveComPort(portNumber);
    if (callback == nullptr || why.path.empty() || !LineSettingsValid(settings)) {
        return why;
    }
    const PortBinding binding = ReadPortBinding(portNumber);
    why.target = binding.linked ? binding.target : std::string();
    if (binding.StaleDomeLink()) {
        why.kind = OpenFailureKind::StaleDomeLink;
        why.domePid = binding.domePid;
        why.staleReason = binding.staleReason;
        why.runningName = binding.runningName;
        return why;
    }
    m_pfnReceive = callback;
    if (!m_hStopEvent.Create() || !m_hSendEvent.Create()) {
        why.kind = OpenFailureKind::Failed;
        why.sysError = errno;
        return why;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const std::optional<NetworkTarget> server =
            binding.linked ? ParseNetworkTarget(binding.target) : std::nullopt;
        const DeviceResult opened =
            server ? m_hPort.OpenNetwork(*server, &why) : m_hPort.Open(why.path, &why);
        if (opened != DeviceResult::Ok) {
            if (why.kind == OpenFailureKind::NothingThere && !binding.linked) {
                why.kind = OpenFailureKind::NoMapping;
            }
            return why;
        }
        why.line = LineText(settings);
        const DeviceResult configured = m_hPort.Configure(settings);
        if (configured != DeviceResult::Ok) {
            why.kind = configured == DeviceResult::TimedOut ? OpenFailureKind::NoAnswer
                       : configured == DeviceResult::Gone   ? OpenFailureKind::ServerClosed
                                                            : OpenFailureKind::SettingsRefused;
            return why;
        }
        // A device without modem lines (a pty) has no RTS to raise.
        const DeviceResult rts = m_hPort.RaiseRts();
        if (rts != DeviceResult::Ok && rts != DeviceResult::Unsupported) {
            return why;
        }
        // Only input: output from before a reopen (a stop sent just before
        // it) is still on its way to the camera and must arrive.
        m_hPort.DiscardInput();
        m_dcb = settings;
    }

    m_framer.Reset();
    m_openedAt = std::chrono::steady_clock::now();
    m_bWatchLine = true;
    m_notifyLineLost = m_pfnLineLost;
    m_nEmptyPasses = 0;
    {
        std::lock_guard<std::mutex> queue(m_queueLock);
        m_bOpen = true;
    }
    if (StartMonitor() != 1) {
        why.kind = OpenFailureKind::NoMonitor;
        return why;
    }
    return {};
}

const OpenFailure& CSerialPort::LastOpenFailure() const {
    return m_lastOpenFailure;
}

orvane::Result CSerialPort::LastOpenResult() const {
    const OpenFailure& why = m_lastOpenFailure;
    if (why.kind == OpenFailureKind::None) {
        return {};
    }
    return orvane::Result::Failed(
        why.path.empty() ? "COM" + std::to_string(why.portNumber) : why.path, why.sysError,
        DescribeOpenFailure(why));
}

int CSerialPort::CloseComm() {
    {
        // Under the queue lock, so no SendBytes can be signalling an event
        // that is about to be closed.
        std::lock_guard<std::mutex> queue(m_queueLock);
        m_bOpen = false;
    }
    m_roomFreed.notify_all();
    // The thread writes what is queued before it ends.
    if (m_hMonitor.joinable()) {
        m_hStopEvent.Signal();
        m_hMonitor.join();
    }
    {
        // Only a monitor thread that never started leaves frames behind.
        std::lock_guard<std::mutex> queue(m_queueLock);
        m_nQueueHead = 0;
        m_nQueued = 0;
    }
    m_hStopEvent.Close();
    m_hSendEvent.Close();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_hPort.Close();
    }
    m_pfnReceive = nullptr;
    m_dcb = LineSettings{};
    return 1;
}

int CSerialPort::IsCommOpen() const {
    return m_bOpen.load() ? 1 : 0;
}

int CSerialPort::StartMonitor() {
    if (m_hMonitor.joinable()) {
        return 1;
    }
    // Without a device and its events the thread would have nothing to wait
    // on but a failing wait.
    if (!m_hPort.IsOpen() || !m_hStopEvent.IsCreated() || !m_hSendEvent.IsCreated()) {
        return 0;
    }
    // A process out of threads makes the constructor throw; that is a port
    // that cannot be served, not a reason to end the program.
    try {
        if (m_threadStartHook) {
            m_threadStartHook();
        }
        m_hMonitor = std::thread(&CSerialPort::MonitorThread, this);
    } catch (const std::system_error&) {
        return 0;
    }
    return m_hMonitor.joinable() ? 1 : 0;
}

int CSerialPort::SendBytes(const uint8_t* data, uint32_t length) {
    if (length > kSendSlotSize || (data == nullptr && length != 0)) {
        return 0;
    }
    std::lock_guard<std::mutex> queue(m_queueLock);
    if (!m_bOpen || m_bLineLost || m_nQueued == kSendQueueDepth) {
        return 0;
    }
    QueuedFrame& frame = m_queue[(m_nQueueHead + m_nQueued) % kSendQueueDepth];
    if (length != 0) {
        std::memcpy(frame.bytes, data, length);
    }
    frame.size = length;
    if (!m_hSendEvent.Signal()) {
        return 0;
    }
    ++m_nQueued;
    return 1;
}

bool CSerialPort::WaitForRoom(const std::stop_token& abort, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> queue(m_queueLock);
    auto ready = [this] { return !m_bOpen || m_bLineLost || m_nQueued < kSendQueueDepth; };
    const bool room = limit == std::chrono::milliseconds::max()
                          ? m_roomFreed.wait(queue, abort, ready)
                          : m_roomFreed.wait_for(queue, abort, limit, ready);
    return room && m_bOpen && !m_bLineLost && !abort.stop_requested();
}

int CSerialPort::IsLineLost() const {
    return m_bLineLost.load() ? 1 : 0;
}

LineLoss CSerialPort::LastLineLoss() const {
    std::lock_guard<std::mutex> queue(m_queueLock);
    return m_lineLoss;
}

void CSerialPort::SetLineLostCallback(LineLostCallback callback) {
    m_pfnLineLost = std::move(callback);
}

void CSerialPort::MonitorThread() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_hPort.DiscardInput();
    }
    Step(MonitorStep::Started);
    for (;;) {
        const WaitOutcome outcome =
            WaitForEvents(m_hStopEvent, m_hPort, m_bWatchLine, m_hSendEvent);
        Step(MonitorStep::Wake);
        switch (outcome) {
            case WaitOutcome::Line:
                if (ReceivePending()) {
                    m_nEmptyPasses = 0;
                } else if (++m_nEmptyPasses >= kMaxEmptyPasses) {
                    m_bWatchLine = false;
                }
                break;
            case WaitOutcome::Hangup:
                // Hand on what was still queued, then stop watching the line:
                // a hung-up device stays readable and would keep waking us.
                ReceivePending();
                LoseLine(LineLossKind::Gone);
                break;
            case WaitOutcome::Send:
                // One frame per wake-up: the event stays set while more wait.
                WriteNext();
                break;
            case WaitOutcome::Interrupted:
                break;
            case WaitOutcome::Failed:
                // Tried again after a pause, unless the pause ended on a stop.
                if (!m_hStopEvent.WaitFor(kRetryPauseMs)) {
                    break;
                }
                [[fallthrough]];
            case WaitOutcome::Stop: {
                // Taking the signal, not only seeing it, orders what the
                // closing thread did before it with what follows here.
                m_hStopEvent.Reset();
                // A frame accepted goes out: a stop sent just before a close
                // must reach the camera. A stall ends this with the rest dropped.
                while (WriteNext()) {
                }
                std::lock_guard<std::mutex> lock(m_lock);
                m_hPort.Close();
                return;
            }
        }
    }
}

bool CSerialPort::ReceivePending() {
    Step(MonitorStep::Receive);
    uint32_t got = 0;
    DeviceResult result = DeviceResult::Interrupted;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        while (result == DeviceResult::Interrupted) {
            result = m_hPort.Read(m_ReadBuffer, kReadBlock, got);
        }
    }
    if (result == DeviceResult::Gone) {
        LoseLine(LineLossKind::Gone);
    }
    if (got > 0) {
        Tap(LineTap::Direction::Received, m_ReadBuffer, got);
    }
    bool handedOn = false;
    for (uint32_t i = 0; i < got; ++i) {
        if (m_framer.Collect(m_ReadBuffer[i])) {
            HandOnFrame();
            handedOn = true;
        }
    }
    // A full block may have more behind it: the frame being collected goes on
    // with the next block, read after any send that is waiting. A short one
    // means the input ran dry, so a partial frame is handed on now, and a
    // wake-up that brought no frame still calls back.
    if (got < kReadBlock && (m_framer.Count() > 0 || !handedOn)) {
        HandOnFrame();
    }
    return got > 0;
}

void CSerialPort::HandOnFrame() {
    if (m_pfnReceive != nullptr) {
        m_pfnReceive(m_framer.Frame(), m_framer.Count());
    }
    m_framer.Reset();
}

bool CSerialPort::WriteNext() {
    Step(MonitorStep::TakeFrame);
    const QueuedFrame* frame = nullptr;
    {
        std::lock_guard<std::mutex> queue(m_queueLock);
        if (m_nQueued == 0) {
            // Under the lock: a frame queued after this signals again.
            m_hSendEvent.Reset();
            return false;
        }
        frame = &m_queue[m_nQueueHead];
    }
    DeviceResult result = DeviceResult::Gone;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        // Unread input goes. Output needs no purge: every write ends with the
        // line sent or its rest discarded, and flushing output on a pty would
        // take back bytes still on their way to the peer.
        result = m_hPort.DiscardInput();
        if (result != DeviceResult::Gone) {
            result = m_hPort.Write(frame->bytes, frame->size, m_timeouts);
        }
    }
    // A write times out when the line took no byte for m_timeouts.constantMs
    // (1 s), or over a second a byte on the whole. Even at 50 baud a byte
    // leaves every 200 ms, so either is a peer that stopped taking bytes, not
    // a slow one.
    const bool lost = result == DeviceResult::Gone || result == DeviceResult::TimedOut;
    if (lost) {
        LoseLine(result == DeviceResult::Gone ? LineLossKind::Gone : LineLossKind::Stalled);
    } else {
        // Still queued, so SendBytes cannot be filling it.
        Tap(LineTap::Direction::Sent, frame->bytes, frame->size);
        {
            std::lock_guard<std::mutex> queue(m_queueLock);
            m_nQueueHead = (m_nQueueHead + 1) % kSendQueueDepth;
            --m_nQueued;
        }
        m_roomFreed.notify_all();
    }
    Step(lost ? MonitorStep::WriteAbandoned : MonitorStep::WriteDone);
    return true;
}

void CSerialPort::LoseLine(LineLossKind kind) {
    m_bWatchLine = false;
    bool first = false;
    bool closing = false;
    {
        std::lock_guard<std::mutex> queue(m_queueLock);
        first = !m_bLineLost.exchange(true);
        if (first) {
            // What is queued, the frame cut off included, will never go out.
            m_lineLoss = LineLoss{kind, m_nQueued};
            m_nQueued = 0;
            closing = !m_bOpen;
        }
    }
    m_roomFreed.notify_all();
    // A close under way needs no notice: its owner is closing the port already.
    if (first && !closing && m_notifyLineLost) {
        m_notifyLineLost();
    }
}

void CSerialPort::SetLineTap(LineTap* tap) {
    std::lock_guard<std::mutex> lock(m_tapLock);
    m_pTap = tap;
    m_bTapSet = tap != nullptr;
}

void CSerialPort::Tap(LineTap::Direction direction, const uint8_t* data, uint32_t size) {
    if (!m_bTapSet.load(std::memory_order_relaxed)) {
        return;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_openedAt);
    std::lock_guard<std::mutex> lock(m_tapLock);
    if (m_pTap != nullptr) {
        m_pTap->OnLine(direction, static_cast<uint32_t>(ms.count()), data, size);
    }
}

void CSerialPort::Step(MonitorStep step) {
    if (m_stepHook) {
        m_stepHook(step);
    }
}
