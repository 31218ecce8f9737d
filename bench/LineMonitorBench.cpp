// The line monitor under a 1 MB/s flood of received frames, and a camera
// scan of 255 addresses at 4800 baud with a virtual dome at the far end.

#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <atomic>
#include <thread>

#include "app/FindCameraDlg.h"
#include "app/LineMonitorDlg.h"
#include "bench/BenchSession.h"
#include "bench/Phases.h"
#include "console/ControlIds.h"
#include "tools/VirtualDome.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kFloodTime = std::chrono::seconds(5);

// CPU seconds of the whole process, every thread.
double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// About 1 MB/s of pan replies (7-byte frames, each a line of the monitor:
// the most lines a byte can make) written into the line every millisecond.
class FrameFlood {
public:
    explicit FrameFlood(int fd) : m_fd(fd) {
        static const uint8_t kReply[7] = {0xFF, 0x01, 0x00, 0x59, 0x30, 0x39, 0xC3};
        for (size_t i = 0; i < sizeof m_chunk; ++i) {
            m_chunk[i] = kReply[i % 7];
        }
        m_start = Clock::now();
        m_thread = std::thread([this] {
            auto next = Clock::now();
            while (m_running) {
                const ssize_t n = write(m_fd, m_chunk, sizeof m_chunk);
                if (n > 0) {
                    m_written += static_cast<double>(n);
                }
                next += std::chrono::milliseconds(1);
                std::this_thread::sleep_until(next);
            }
        });
    }
    ~FrameFlood() { Stop(); }
    void Stop() {
        m_running = false;
        if (m_thread.joinable()) {
            m_thread.join();
            m_seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        }
    }
    double Rate() const { return m_seconds > 0 ? m_written / m_seconds / 1e6 : 0; }

private:
    int m_fd;
    uint8_t m_chunk[1001];
    std::atomic<bool> m_running{true};
    double m_written = 0;
    double m_seconds = 0;
    Clock::time_point m_start;
    std::thread m_thread;
};

struct FloodRun {
    double cpuPercent = 0;  // of one core
    double stallMs = 0;
    double rate = 0;
};

FloodRun RunFlood(BenchSession& session) {
    FloodRun run;
    StallWatch stalls;
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    FrameFlood flood(session.peer());
    stalls.Start();
    RunEventLoop(std::chrono::duration_cast<std::chrono::milliseconds>(kFloodTime));
    run.stallMs = stalls.Stop();
    flood.Stop();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    run.cpuPercent = (CpuSeconds() - cpu0) / wall * 100.0;
    run.rate = flood.Rate();
    // The line drains before the next run.
    RunEventLoop(std::chrono::milliseconds(300));
    return run;
}

// The far end: a dome that answers at its address and speed only.
class DomeThread {
public:
    DomeThread(int fd, uint8_t address, unsigned baud) : m_fd(fd), m_dome(false, address, baud) {
        m_thread = std::thread([this] { Run(); });
    }
    ~DomeThread() {
        m_running = false;
        m_thread.join();
    }

private:
    void Run() {
        uint8_t buf[512];
        while (m_running) {
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, 20) <= 0) {
                continue;
            }
            const ssize_t n = read(m_fd, buf, sizeof buf);
            if (n <= 0) {
                continue;
            }
            termios tio{};
            tcgetattr(m_fd, &tio);
            const unsigned baud = cfgetispeed(&tio) == B4800 ? 4800 : 1;
            m_dome.Feed(buf, static_cast<size_t>(n), DomeTime{0}, baud);
            const std::vector<uint8_t> reply = m_dome.TakeReplies();
            if (!reply.empty() && write(m_fd, reply.data(), reply.size()) < 0) {
            }
        }
    }

    int m_fd;
    VirtualDome m_dome;
    std::atomic<bool> m_running{true};
    std::thread m_thread;
};

}  // namespace

void MeasureMonitorFlood(const BenchOptions&, std::vector<Measure>& out) {
    const std::string label = "Line monitor open under a 1 MB/s flood of received frames";
    BenchSession session;
    if (const char* reason = session.OpenPelcoD()) {
        out.push_back(NotMeasured("monitor.cpu_pct", label, "", reason));
        return;
    }
    const FloodRun closed = RunFlood(session);
    QTest::mouseClick(session.Button(IDC_BTN_MONITOR), Qt::LeftButton);
    const FloodRun open = RunFlood(session);
    out.push_back(Measure{"monitor.cpu_pct",
                          label + ": CPU, whole program",
                          open.cpuPercent,
                          "%",
                          "of one core; monitor closed " + FormatValue(closed.cpuPercent, "%") +
                              "; " + FormatValue(open.rate, "MB") + "/s taken by the line",
                          "",
                          {}});
    out.push_back(Measure{"monitor.stall_ms", label + ": longest event-loop stall", open.stallMs,
                          "ms", "monitor closed " + FormatValue(closed.stallMs, "ms"), "< 100 ms",
                          open.stallMs < 100.0});
}

void MeasureCameraScan(const BenchOptions&, std::vector<Measure>& out) {
    const std::string label = "Find camera: 255 Pelco-D addresses at 4800 baud";
    BenchSession session;
    if (const char* reason = session.OpenPelcoD()) {
        out.push_back(NotMeasured("scan.seconds", label, "", reason));
        return;
    }
    DomeThread dome(session.peer(), 200, 4800);
    QTest::mouseClick(session.Button(IDC_BTN_FINDCAMERA), Qt::LeftButton);
    CFindCameraDlg* find = session.probe().FindDialog();
    for (size_t i = 0; i < find->baudBoxes().size(); ++i) {
        find->baudBoxes()[i]->setChecked(CFindCameraDlg::kBauds[i] == 4800);
    }
    const auto t0 = Clock::now();
    StallWatch stalls;
    stalls.Start();
    QTest::mouseClick(find->startButton(), Qt::LeftButton);
    const bool done = RunEventLoop(std::chrono::minutes(2), [find] { return !find->Scanning(); });
    const double stall = stalls.Stop();
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!done) {
        out.push_back(NotMeasured("scan.seconds", label, "", "the scan did not end in 2 minutes"));
        return;
    }
    out.push_back(Measure{"scan.seconds",
                          label,
                          seconds,
                          "s",
                          std::to_string(find->results()->rowCount()) +
                              " found (the dome at 200); wait per address " +
                              std::to_string(CameraScan::ReplyTimeoutMs(4800)) +
                              " ms; longest stall " + FormatValue(stall, "ms"),
                          "",
                          {}});
}
