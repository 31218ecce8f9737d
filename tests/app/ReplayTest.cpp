#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "commandlist/CommandListFile.h"
#include "console/ControlIds.h"
#include "console/NumberField.h"
#include "ptz/PtzBase.h"
#include "serial/SerialPort.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

const Bytes kMenu = {0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67};

// Each row waits a minute on the steady clock: a replay that is not ended at
// once holds the handler for that minute. Every way of cutting a replay short
// stops the camera, and the graceful first click leaves "Stop now".
TEST(Replay, IsRefusedWithoutAnIntervalAndEndsAtOnceWithAStopOnEverySettingsChange) {
    const std::pair<const char*, void (COrvaneDlg::*)()> cases[] = {
        {"address", &COrvaneDlg::OnSelchangePtzAddress},
        {"model", &COrvaneDlg::OnSelchangePtzModel},
        {"baud rate", &COrvaneDlg::OnSelchangeBaudRate},
        {"load", &COrvaneDlg::OnBrowse},
        {"stop now", &COrvaneDlg::OnAutoStart},
        {"port close", &COrvaneDlg::OnOpenPort},
        {"close", &COrvaneDlg::reject},
    };
    TempDir dir;
    WriteWholeFile(dir.File(kCfg),
                   FileBytes(Header(0, 9, 3, 0, 0, 0, 1, 32, 800, 1), {{kMenu, 0}}));
    DialogHarness h;
    auto expectLocked = [&h](bool replay) {
        for (int id : AllControlIds()) {
            const bool locked = replay && (kPortGroup.count(id) || kReplayExtra.count(id)) &&
                                id != IDC_BTN_AUTOSTART;
            EXPECT_EQ(h.Item(id)->isEnabled(), !locked) << "control " << id;
        }
    };
    for (const auto& [what, handler] : cases) {
        SCOPED_TRACE(what);
        if (!h.probe().PortOpen()) {
            ASSERT_TRUE(h.OpenPort());
        }
        h.dlg().EmptyCommandList();
        h.dlg().AppendCommandItem(Record(kMenu, 0));
        h.prompter().Clear();
        h.Edit(IDC_EDIT_CMDINTERVAL)->setText("");
        h.Click(IDC_BTN_AUTOSTART);
        EXPECT_EQ(h.prompter().Last(), NumberField::InvalidMessage("Cmd Interval Time"));
        EXPECT_FALSE(h.probe().ReplayThreadRunning());

        h.Edit(IDC_EDIT_CMDINTERVAL)->setText("60000");
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        expectLocked(true);
        // The first click asks for the end of the pass and offers to stop now.
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Stop now");
        expectLocked(true);
        h.prompter().fileAnswers.push_back(dir.File(kCfg));  // taken by the load alone
        h.prompter().askAnswers.push_back(true);             // loading over unsaved rows
        const auto called = std::chrono::steady_clock::now();
        (h.dlg().*handler)();
        EXPECT_LT(std::chrono::steady_clock::now() - called, std::chrono::seconds(10))
            << "the pause under way was not cut short";
        EXPECT_FALSE(h.probe().ReplayThreadRunning());
        EXPECT_EQ(h.probe().AutoRun(), 0);
        h.prompter().fileAnswers.clear();
        h.prompter().askAnswers.clear();
        if (handler != &COrvaneDlg::reject) {
            EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Start");
        }
        if (handler == &COrvaneDlg::OnOpenPort) {
            EXPECT_FALSE(h.probe().PortOpen());
        } else if (handler != &COrvaneDlg::reject) {
            expectLocked(false);
        }
    }
    // No replayed command went out, only one stop for each replay cut short:
    // through the Pelco-P driver, then the Pelco-D one the file brought.
    const Bytes stopP = {0xa0, 0x01, 0x00, 0x00, 0x00, 0x00, 0xaf, 0x0e};
    const Bytes stopD = {0xff, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01};
    Bytes stops;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Bytes& stop = i < 4 ? stopP : stopD;
        stops.insert(stops.end(), stop.begin(), stop.end());
    }
    EXPECT_EQ(h.pty().DrainPeer(), stops);
    CSerialPort next;
    EXPECT_EQ(next.OpenComm([](uint8_t*, uint32_t) {}, 1, 9600, 'N', 8, 1), 1)
        << "the port is free for a new instance";
}

// Pauses end only when the test lets them, so a click lands while the replay
// is known to be inside one.
struct GatedClock final : ReplayClock {
    TimePoint Now() override { return now; }
    void WaitUntil(TimePoint deadline, std::stop_token abort) override {
        std::unique_lock<std::mutex> lock(mutex);
        const int pause = begun++;
        if (changed.wait(lock, abort, [&] { return pause < let; })) {
            now = deadline;
        }
    }
    // Lets the pauses before pause `n` (counted over every replay) end.
    void Let(int n) {
        std::lock_guard<std::mutex> lock(mutex);
        let = n;
        changed.notify_all();
    }
    std::mutex mutex;
    std::condition_variable_any changed;
    std::atomic<int> begun{0};
    int let = 0;
    TimePoint now{};
};

// Auto Stop lets the pass under way go out whole; Stop now ends it inside its
// pause, and the replay's own driver, not the dialog's, sends the stop.
TEST(Replay, AutoStopFinishesThePassAndStopNowEndsItAtOnceWithAStop) {
    GatedClock clock;
    DialogHarness h;
    h.dlg().SetReplayClock(&clock);
    ASSERT_TRUE(h.OpenPort());
    Bytes pass;
    for (uint8_t i = 0; i < 3; ++i) {
        pass.insert(pass.end(), {0xa0, 0x01, 0x00, 0x07, 0x00, i, 0xaf, 0x00});
        h.dlg().AppendCommandItem(Record(Bytes(pass.end() - 8, pass.end()), 0));
    }
    ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
    ASSERT_TRUE(h.WaitFor([&] { return clock.begun > 0; }));
    ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
    clock.Let(3);
    EXPECT_TRUE(h.WaitFor([&] { return h.probe().AutoRun() == 0; }));
    EXPECT_EQ(h.pty().ReadPeer(pass.size()), pass);

    ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
    clock.Let(4);
    ASSERT_TRUE(h.WaitFor([&] { return clock.begun > 4; }));
    EXPECT_EQ(h.probe().Driver()->BufferLen(), 0u) << "the replay went out on the dialog's driver";
    ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
    ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
    EXPECT_EQ(h.probe().AutoRun(), 0);
    EXPECT_EQ(h.pty().ReadPeer(8), Bytes(pass.begin(), pass.begin() + 8));
    EXPECT_EQ(h.pty().ReadPeer(8), (Bytes{0xa0, 0x01, 0x00, 0x00, 0x00, 0x00, 0xaf, 0x0e}));
}

// The replay stream is made as long as the list, past what the buffer of
// start-up holds.
TEST(Replay, StreamsEveryRowOfAListLongerThanTheStartUpBuffer) {
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    const int32_t rows = (COrvaneDlg::kTempBufferSize - 8) / 16 + 2;
    for (int32_t i = 0; i < rows; ++i) {
        h.dlg().AppendCommandItem(
            Record({0xff, 0x01, 0x00, 0x07, 0x00, uint8_t(i), 0}, uint32_t(i)));
    }
    h.Edit(IDC_EDIT_CMDINTERVAL)->setText("60000");
    ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
    ASSERT_TRUE(h.probe().ReplayThreadRunning());
    const uint8_t* stream = h.probe().TempBuffer();
    int32_t count = 0;
    CommandRecord last{};
    std::memcpy(&count, stream + 4, sizeof count);
    std::memcpy(&last, stream + 8 + 16 * (int64_t{rows} - 1), sizeof last);
    EXPECT_EQ(count, rows);
    EXPECT_EQ(last.dwInterval, uint32_t(rows - 1));
}

}  // namespace
