#include <sys/stat.h>

#include <QMetaObject>
#include <QPushButton>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "bench/BenchSession.h"
#include "bench/ListFile.h"
#include "bench/PeerReader.h"
#include "bench/Phases.h"
#include "commandlist/Replay.h"
#include "console/ControlIds.h"
#include "platform/TickCount.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kLimitMs = 500;
const std::string kTarget = "< 0.5 s";

// The replay's pause while the bench times the start; once the start is
// timed the rest of the pass goes out unpaused, so "Auto Stop" does not wait
// for 131,071 pauses.
std::atomic<bool> g_skipPauses{false};
void PausableSleep(uint32_t ms) {
    if (!g_skipPauses.load()) {
        SleepMs(ms);
    }
}

struct Timing {
    double ms = 0;
    double stallMs = 0;
};

// Times an action on the dialog's thread, and watches the event loop around
// it until the view has caught up with what the action changed.
template <typename Action>
Timing TimeOnDialogThread(Action action) {
    StallWatch watch;
    watch.Start();
    RunEventLoop(std::chrono::milliseconds(50));
    const Clock::time_point start = Clock::now();
    action();
    const Clock::time_point end = Clock::now();
    RunEventLoop(std::chrono::milliseconds(500));
    return Timing{std::chrono::duration<double, std::milli>(end - start).count(), watch.Stop()};
}

Measure Judged(const std::string& id, const std::string& label, const Timing& t,
               const std::string& note = {}) {
    Measure m{id, label, t.ms, "ms", "", kTarget + ", dialog responsive", {}};
    m.detail = "longest event-loop stall " + FormatValue(t.stallMs, "ms");
    if (!note.empty()) {
        m.detail += "; " + note;
    }
    m.met = t.ms < kLimitMs && t.stallMs < kLimitMs;
    return m;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

void MeasureLargeList(const BenchOptions& options, std::vector<Measure>& out) {
    const int rows = options.listRows;
    const std::string count = Grouped(rows) + " rows";
    auto fail = [&](const std::string& id, const std::string& label, const std::string& reason) {
        out.push_back(NotMeasured(id, label, kTarget, reason));
    };

    const std::string path = options.workDir + "/large.cfg";
    const std::string savedDir = options.workDir + "/saved";
    if (!WriteListFile(path, rows, 10) || mkdir(savedDir.c_str(), 0700) != 0) {
        fail("list.load_ms", "Load a list of " + count, "could not write the list file");
        return;
    }
    g_skipPauses = false;
    BenchSession session(&PausableSleep);
    if (!session.ok() || !session.OpenLine()) {
        fail("list.load_ms", "Load a list of " + count, "COM1 did not open");
        return;
    }
    COrvaneDlg& dlg = session.dlg();
    // Drains the line, which the unpaused rest of the replay floods.
    PeerReader reader(session.peer(), ListRowFrame(0).size());

    session.prompter().fileAnswers.push_back(path);
    const Timing load = TimeOnDialogThread([&] { session.Click(IDC_BTN_BROWSE); });
    if (session.Rows() != rows) {
        fail("list.load_ms", "Load a list of " + count, "the list did not load");
        return;
    }
    out.push_back(Judged("list.load_ms", "Load a list of " + count + " (Browse)", load));

    session.prompter().folderAnswers.push_back(savedDir);
    const Timing save = TimeOnDialogThread([&] { session.Click(IDC_BTN_SAVE); });
    // Nothing is lost on the way: the saved file is the loaded one, byte for byte.
    if (ReadFile(savedDir + "/DomeConfig.cfg") != ReadFile(path)) {
        fail("list.save_ms", "Save a list of " + count,
             "the saved file differs from the loaded one");
    } else {
        out.push_back(Judged("list.save_ms", "Save a list of " + count + " (Save)", save));
    }

    const Timing start = TimeOnDialogThread([&] { session.Click(IDC_BTN_AUTOSTART); });
    ReplayHeader header{};
    std::memcpy(&header, session.probe().TempBuffer(), sizeof header);
    const bool running = session.Button(IDC_BTN_AUTOSTART)->text() == QStringLiteral("Auto Stop");
    g_skipPauses = true;
    const Timing stop = TimeOnDialogThread([&] { session.Click(IDC_BTN_AUTOSTART); });
    if (!running || header.count != rows) {
        fail("list.autostart_ms", "Auto Start on " + count,
             "the replay stream holds " + std::to_string(header.count) + " records");
    } else {
        out.push_back(Judged("list.autostart_ms",
                             "Auto Start on " + count + " (rows to replay stream, thread started)",
                             start,
                             "Auto Stop took " + FormatValue(stop.ms, "ms") +
                                 " with the rest of the pass unpaused"));
    }

    // Appends as the log thread makes them: each row a queued call from
    // another thread, carried out on the dialog's thread.
    session.Click(IDC_BTN_CLEAR);
    StallWatch watch;
    watch.Start();
    RunEventLoop(std::chrono::milliseconds(50));
    const Clock::time_point begin = Clock::now();
    std::thread poster([&dlg, rows] {
        for (int row = 0; row < rows; ++row) {
            CommandRecord record{static_cast<uint32_t>(row % 100), 7, {}};
            const std::array<uint8_t, 7> frame = ListRowFrame(row);
            std::memcpy(record.byData, frame.data(), frame.size());
            QMetaObject::invokeMethod(
                &dlg, [&dlg, record] { dlg.AppendCommandItem(record); }, Qt::QueuedConnection);
        }
    });
    const bool all = RunEventLoop(std::chrono::seconds(60), [&] { return session.Rows() == rows; });
    const Clock::time_point end = Clock::now();
    poster.join();
    RunEventLoop(std::chrono::milliseconds(500));
    const Timing append{std::chrono::duration<double, std::milli>(end - begin).count(),
                        watch.Stop()};
    if (!all) {
        fail("list.append_ms", "Append " + count + " as the log does",
             "only " + std::to_string(session.Rows()) + " rows arrived");
    } else {
        out.push_back(Judged("list.append_ms",
                             "Append " + count + " as the log does (queued AppendCommandItem)",
                             append));
    }
}
