#include <sys/stat.h>
#include <unistd.h>

#include <QMetaObject>
#include <QPushButton>
#include <QTableView>
#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "bench/BenchSession.h"
#include "bench/ListFileWriter.h"
#include "bench/PeerReader.h"
#include "bench/Phases.h"
#include "commandlist/CommandListFile.h"
#include "commandlist/Replay.h"
#include "console/CommandListModel.h"
#include "console/ControlIds.h"
#include "platform/TickCount.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kLimitMs = 500;
constexpr double kLoadLimitMs = 25;
constexpr double kAppendLimitMs = 100;
constexpr double kStallLimitMs = 100;
constexpr double kRowBytesLimit = 64;
const std::string kTarget = "< 0.5 s";

// The replay's pause while the bench times the start; once the start is
// timed the rest of the pass goes out unpaused, so the pass "Auto Stop" lets
// finish does not take 131,071 pauses.
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
               const std::string& note = {}, double limitMs = kLimitMs,
               double stallLimitMs = kLimitMs) {
    Measure m{id, label, t.ms, "ms", "", "", {}};
    m.target =
        "< " + FormatValue(limitMs, "ms") + ", no stall over " + FormatValue(stallLimitMs, "ms");
    m.detail = "longest event-loop stall " + FormatValue(t.stallMs, "ms");
    if (!note.empty()) {
        m.detail += "; " + note;
    }
    m.met = t.ms < limitMs && t.stallMs < stallLimitMs;
    return m;
}

// Resident memory of the process, in bytes.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
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
    // Drains the line, which the unpaused rest of the replay floods.
    PeerReader reader(session.peer(), ListRowFrame(0).size());

    session.prompter().fileAnswers.push_back(path);
    const Timing load = TimeOnDialogThread([&] { session.Click(IDC_BTN_BROWSE); });
    if (session.Rows() != rows) {
        fail("list.load_ms", "Load a list of " + count, "the list did not load");
        return;
    }
    out.push_back(Judged("list.load_ms", "Load a list of " + count + " (Browse)", load, {},
                         kLoadLimitMs, kStallLimitMs));

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
    // The pass ends on the replay thread; the appends below are timed without it.
    RunEventLoop(std::chrono::seconds(60), [&] {
        return session.Button(IDC_BTN_AUTOSTART)->text() == QStringLiteral("Auto Start");
    });
    if (!running || header.count != rows) {
        fail("list.autostart_ms", "Auto Start on " + count,
             "the replay stream holds " + std::to_string(header.count) + " records");
    } else {
        out.push_back(Judged("list.autostart_ms",
                             "Auto Start on " + count + " (rows to replay stream, thread started)",
                             start, "Auto Stop returned in " + FormatValue(stop.ms, "ms")));
    }

    // Appends as the log thread makes them, from another thread: handed to
    // the model, which takes a burst in one queued call.
    auto* model = qobject_cast<CommandListModel*>(session.dlg().findChild<QTableView*>()->model());
    const std::pair<const char*, std::function<void(const CommandRecord&)>> posters[] = {
        {"CommandListModel::PostRecord",
         [model](const CommandRecord& record) { model->PostRecord(record); }},
    };
    for (const auto& entry : posters) {
        const auto& how = entry.first;
        const auto& post = entry.second;
        const std::string id = "list.append_ms";
        session.Click(IDC_BTN_CLEAR);
        StallWatch watch;
        watch.Start();
        RunEventLoop(std::chrono::milliseconds(50));
        const Clock::time_point begin = Clock::now();
        std::thread poster([&post, rows] {
            for (int row = 0; row < rows; ++row) {
                CommandRecord record{static_cast<uint32_t>(row % 100), 7, {}};
                const std::array<uint8_t, 7> frame = ListRowFrame(row);
                std::memcpy(record.byData, frame.data(), frame.size());
                post(record);
            }
        });
        // Done when the view has been told of every row, not when the model holds them.
        const bool all =
            RunEventLoop(std::chrono::seconds(60), [&] { return model->rowCount() == rows; });
        const Clock::time_point end = Clock::now();
        poster.join();
        RunEventLoop(std::chrono::milliseconds(500));
        const Timing append{std::chrono::duration<double, std::milli>(end - begin).count(),
                            watch.Stop()};
        if (!all) {
            fail(id, "Append " + count + " as the log does",
                 "only " + std::to_string(session.Rows()) + " rows arrived");
            continue;
        }
        out.push_back(Judged(id, "Append " + count + " as the log does (" + how + ")", append, {},
                             kAppendLimitMs, kStallLimitMs));
    }
    const double modelBytes = static_cast<double>(model->MemoryBytes()) / rows;
    out.push_back(Measure{"list.model_bytes_per_row",
                          "Memory of the list model per row, after the appends", modelBytes, "B",
                          "records and spare capacity", "<= " + FormatValue(kRowBytesLimit, "B"),
                          modelBytes <= kRowBytesLimit});

    // The whole process, view included, at the row limit.
    const int fullRows = kMaxCommandListRows;
    const std::string fullPath = options.workDir + "/full.cfg";
    session.prompter().askAnswers.push_back(true);  // the appended rows were never saved
    session.Click(IDC_BTN_CLEAR);
    RunEventLoop(std::chrono::milliseconds(100));
    const double before = ResidentBytes();
    session.prompter().fileAnswers.push_back(fullPath);
    const Timing full = WriteListFile(fullPath, fullRows, 10)
                            ? TimeOnDialogThread([&] { session.Click(IDC_BTN_BROWSE); })
                            : Timing{};
    const double perRow = (ResidentBytes() - before) / fullRows;
    if (session.Rows() != fullRows) {
        out.push_back(NotMeasured("list.process_bytes_per_row", "Memory per row at the limit",
                                  "<= 64 B",
                                  "the list of " + Grouped(fullRows) + " rows did not load"));
        return;
    }
    out.push_back(Measure{
        "list.process_bytes_per_row",
        "Memory of the program per row, " + Grouped(fullRows) + " rows loaded (the row limit)",
        perRow, "B",
        "resident growth; load took " + FormatValue(full.ms, "ms") + ", longest stall " +
            FormatValue(full.stallMs, "ms"),
        "<= " + FormatValue(kRowBytesLimit, "B"), perRow <= kRowBytesLimit});
}
