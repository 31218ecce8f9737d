#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

#include "bench/BenchSession.h"
#include "bench/BenchStats.h"
#include "bench/ListFileWriter.h"
#include "bench/PeerReader.h"
#include "bench/Phases.h"
#include "console/ControlIds.h"
#include "platform/TickCount.h"

namespace {

using Clock = PeerReader::Clock;

constexpr int kEdgeGaps = 100;  // gaps compared at the start and the end of the run
constexpr double kDriftLimitMs = 0.5;
constexpr double kRunLimitMs = 5;

// Signed error of each gap between consecutive frames against the interval.
std::vector<double> GapErrors(const std::deque<PeerReader::Frame>& frames, uint32_t intervalMs) {
    std::vector<double> error;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        const double gap =
            std::chrono::duration<double, std::milli>(frames[i].at - frames[i - 1].at).count();
        error.push_back(gap - intervalMs);
    }
    return error;
}

std::vector<double> Magnitudes(std::vector<double> values) {
    for (double& v : values) {
        v = std::fabs(v);
    }
    return values;
}

// The floor: a bare thread that sleeps the interval and writes the same
// frames to the device end, timed by the same reader. Whatever lateness the
// machine's timers and scheduler add shows here too.
std::optional<std::deque<PeerReader::Frame>> FloorRun(int device, PeerReader& reader, int frames,
                                                      uint32_t intervalMs) {
    reader.Discard();
    std::thread writer([device, frames, intervalMs] {
        for (int row = 0; row < frames; ++row) {
            SleepMs(intervalMs);
            const std::array<uint8_t, 7> frame = ListRowFrame(row);
            if (write(device, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
                return;
            }
        }
    });
    writer.join();
    reader.WaitForCount(static_cast<std::size_t>(frames), std::chrono::seconds(5));
    std::deque<PeerReader::Frame> seen = reader.TakeAll();
    reader.Discard();
    if (seen.size() != static_cast<std::size_t>(frames)) {
        return std::nullopt;
    }
    return seen;
}

void MeasureAt(const BenchOptions& options, uint32_t intervalMs, std::vector<Measure>& out) {
    const std::string name = "Replay at " + std::to_string(intervalMs) + " ms";
    const std::string id = "replay" + std::to_string(intervalMs);
    const int frames = options.replayGaps + 1;
    auto fail = [&](const std::string& reason) {
        out.push_back(
            NotMeasured(id + ".median_error_ms", name + ", median gap error", "< 0.5 ms", reason));
        out.push_back(
            NotMeasured(id + ".p99_error_ms", name + ", p99 gap error", "< 2 ms", reason));
    };

    const std::string path = options.workDir + "/cadence.cfg";
    if (!WriteListFile(path, frames, intervalMs)) {
        fail("could not write " + path);
        return;
    }
    BenchSession session;
    if (!session.ok() || !session.OpenLine()) {
        fail("COM1 did not open");
        return;
    }
    session.prompter().fileAnswers.push_back(path);
    session.Click(IDC_BTN_BROWSE);
    if (session.Rows() != frames) {
        fail("the list file did not load");
        return;
    }
    session.Edit(IDC_EDIT_CMDINTERVAL)->setText(QString::number(intervalMs));

    PeerReader reader(session.peer(), ListRowFrame(0).size());
    const std::optional<std::deque<PeerReader::Frame>> bare =
        FloorRun(session.device(), reader, frames, intervalMs);
    if (!bare) {
        fail("the bare sleep-and-write loop lost frames");
        return;
    }

    // One pass of the list is the run: "Auto Stop" right after the first
    // command lets the pass under way finish.
    session.Click(IDC_BTN_AUTOSTART);
    if (!reader.WaitForCount(1, std::chrono::seconds(5))) {
        fail("the replay sent nothing");
        session.Click(IDC_BTN_AUTOSTART);
        return;
    }
    session.Click(IDC_BTN_AUTOSTART);
    // The stop may return before the pass has gone out: wait for the whole of it.
    reader.WaitForCount(static_cast<std::size_t>(frames),
                        std::chrono::milliseconds(intervalMs) * frames + std::chrono::seconds(5));
    const std::deque<PeerReader::Frame> seen = reader.TakeAll();
    if (seen.size() != static_cast<std::size_t>(frames)) {
        fail(std::to_string(seen.size()) + " of " + std::to_string(frames) + " frames arrived");
        return;
    }
    for (int row = 0; row < frames; ++row) {
        const std::array<uint8_t, 7> expected = ListRowFrame(row);
        if (!std::equal(expected.begin(), expected.end(), seen[row].bytes.begin())) {
            fail("frame " + std::to_string(row) + " is not row " + std::to_string(row));
            return;
        }
    }

    const std::vector<double> error = GapErrors(seen, intervalMs);
    const Summary floor = Summarise(Magnitudes(GapErrors(*bare, intervalMs)));
    const Summary s = Summarise(Magnitudes(error));
    const int edge = std::min<int>(kEdgeGaps, static_cast<int>(error.size()));
    const double first = Mean(std::vector<double>(error.begin(), error.begin() + edge));
    const double last = Mean(std::vector<double>(error.end() - edge, error.end()));
    // Every command is due on one schedule: frame k at the origin plus k
    // intervals. The origin is not seen from outside, and the first frame may
    // itself be late, so it is taken as the median offset of all frames. The
    // whole run is judged by its end, and by the frame furthest from its time.
    const double stretch =
        std::chrono::duration<double, std::milli>(seen.back().at - seen.front().at).count() -
        static_cast<double>(intervalMs) * (frames - 1);
    std::vector<double> offsets;
    offsets.reserve(static_cast<size_t>(frames));
    for (int row = 0; row < frames; ++row) {
        offsets.push_back(
            std::chrono::duration<double, std::milli>(seen[row].at - seen.front().at).count() -
            static_cast<double>(intervalMs) * row);
    }
    const double origin = Percentile(offsets, 50);
    const double runError = std::fabs(offsets.back() - origin);
    double deviation = 0;
    for (const double off : offsets) {
        deviation = std::max(deviation, std::fabs(off - origin));
    }
    const double bareStretch =
        std::chrono::duration<double, std::milli>(bare->back().at - bare->front().at).count() -
        static_cast<double>(intervalMs) * (frames - 1);

    out.push_back(Measure{id + ".median_error_ms",
                          name + ", median gap error (" + std::to_string(s.count) + " gaps)", s.p50,
                          "ms", "bare sleep-and-write loop " + FormatValue(floor.p50, "ms"),
                          "< 0.5 ms", s.p50 < 0.5});
    out.push_back(Measure{id + ".p99_error_ms", name + ", p99 gap error", s.p99, "ms",
                          "largest " + FormatValue(s.max, "ms") + "; bare loop p99 " +
                              FormatValue(floor.p99, "ms") + ", largest " +
                              FormatValue(floor.max, "ms"),
                          "< 2 ms", s.p99 < 2.0});
    out.push_back(Measure{
        id + ".drift_ms", name + ", mean error of first vs last " + std::to_string(edge) + " gaps",
        last - first, "ms",
        FormatValue(first, "ms") + " vs " + FormatValue(last, "ms") + "; whole run " +
            FormatValue(stretch, "ms") + " over " + std::to_string(frames - 1) + " x " +
            std::to_string(intervalMs) + " ms",
        "no drift (within " + FormatValue(kDriftLimitMs, "ms") + ")",
        std::fabs(last - first) < kDriftLimitMs});
    out.push_back(Measure{
        id + ".run_error_ms",
        name + ", whole run: |end - scheduled end| over " + std::to_string(frames - 1) + " gaps",
        runError, "ms", "bare sleep-and-write loop " + FormatValue(bareStretch, "ms"),
        "< " + FormatValue(kRunLimitMs, "ms"), runError < kRunLimitMs});
    out.push_back(Measure{id + ".max_deviation_ms",
                          name + ", largest deviation of a frame from its due time", deviation,
                          "ms", "bare loop's largest gap error " + FormatValue(floor.max, "ms"),
                          "< " + FormatValue(kRunLimitMs, "ms"), deviation < kRunLimitMs});
}

}  // namespace

void MeasureReplayCadence(const BenchOptions& options, std::vector<Measure>& out) {
    for (const uint32_t interval : {10u, 40u}) {
        MeasureAt(options, interval, out);
    }
}
