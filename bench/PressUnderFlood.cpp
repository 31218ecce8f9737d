#include <unistd.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <thread>

#include "bench/BenchSession.h"
#include "bench/BenchStats.h"
#include "bench/ListFileWriter.h"
#include "bench/PeerReader.h"
#include "bench/Phases.h"
#include "console/ControlIds.h"

namespace {

using Clock = PeerReader::Clock;

constexpr auto kFrameWait = std::chrono::seconds(2);
constexpr int kWarmUpRounds = 20;
// About 1 MB/s: a chunk every millisecond, as a chatty bus might send.
constexpr size_t kFloodChunk = 1000;

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

bool Carries(const std::optional<PeerReader::Frame>& frame, const std::array<uint8_t, 7>& bytes) {
    return frame && frame->size == bytes.size() &&
           std::equal(bytes.begin(), bytes.end(), frame->bytes.begin());
}

// Writes into the line from the peer until stopped; a full line drops the
// chunk, as a bus does not wait for its listeners.
class Flood {
public:
    explicit Flood(int fd) : m_fd(fd) {
        for (size_t i = 0; i < kFloodChunk; ++i) {
            m_chunk[i] = static_cast<uint8_t>(i * 7);  // frame starts among the noise
        }
        m_start = Clock::now();
        m_thread = std::thread([this] { Run(); });
    }
    ~Flood() { Stop(); }
    void Stop() {
        m_running = false;
        if (m_thread.joinable()) {
            m_thread.join();
            m_seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        }
    }
    // Bytes the line took per second, in MB.
    double Rate() const { return m_seconds > 0 ? m_written / m_seconds / 1e6 : 0; }

private:
    void Run() {
        auto next = Clock::now();
        while (m_running) {
            const ssize_t n = write(m_fd, m_chunk, sizeof m_chunk);
            if (n > 0) {
                m_written += static_cast<double>(n);
            }
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
        }
    }

    int m_fd;
    uint8_t m_chunk[kFloodChunk];
    std::atomic<bool> m_running{true};
    double m_written = 0;
    double m_seconds = 0;
    Clock::time_point m_start;
    std::thread m_thread;
};

}  // namespace

void MeasurePressUnderFlood(const BenchOptions& options, std::vector<Measure>& out) {
    const std::string p50Label = "Press to wire under a 1 MB/s input flood, p50";
    const std::string p99Label = "Press to wire under a 1 MB/s input flood, p99";
    const std::string p99Target = "< 5 ms";
    auto fail = [&](const std::string& reason) {
        out.push_back(NotMeasured("flood.p50_us", p50Label, "", reason));
        out.push_back(NotMeasured("flood.p99_us", p99Label, p99Target, reason));
    };

    BenchSession session;
    if (const char* reason = session.OpenPelcoD()) {
        fail(reason);
        return;
    }
    PeerReader reader(session.peer(), kUpFrame.size());
    QPushButton* up = session.Button(IDC_BTN_UP);
    Flood flood(session.peer());

    std::vector<double> press;
    std::vector<double> release;
    std::string fault;
    for (int round = -kWarmUpRounds; round < options.presses && fault.empty(); ++round) {
        const Clock::time_point pressed = Clock::now();
        QTest::mousePress(up, Qt::LeftButton);
        const std::optional<PeerReader::Frame> tilt = reader.Next(kFrameWait);
        const Clock::time_point released = Clock::now();
        QTest::mouseRelease(up, Qt::LeftButton);
        const std::optional<PeerReader::Frame> stop = reader.Next(kFrameWait);
        if (!Carries(tilt, kUpFrame)) {
            fault = "a press did not reach the line within 2 s";
        } else if (!Carries(stop, kStopFrame)) {
            fault = "a stop frame was lost in round " + std::to_string(round + kWarmUpRounds);
        } else if (round >= 0) {
            press.push_back(Micros(tilt->at - pressed));
            release.push_back(Micros(stop->at - released));
        }
        QCoreApplication::processEvents();
    }
    flood.Stop();
    if (!fault.empty()) {
        fail(fault);
        return;
    }
    const Summary p = Summarise(press);
    const Summary r = Summarise(release);
    const std::string flow = FormatValue(flood.Rate(), "MB") + "/s taken by the line";
    out.push_back(Measure{"flood.p50_us",
                          p50Label + " (" + Grouped(static_cast<long>(p.count)) + " presses)",
                          p.p50,
                          "us",
                          flow,
                          "",
                          {}});
    out.push_back(Measure{
        "flood.p99_us", p99Label, p.p99, "us",
        "slowest " + FormatValue(p.max, "us") + "; release to wire p99 " + FormatValue(r.p99, "us"),
        p99Target, p.p99 < 5000.0});
}
