#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <mutex>
#include <thread>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

// The replay thread's pause: recorded, then a short real sleep so the thread
// never spins.
std::mutex g_pauseMutex;
std::vector<uint32_t> g_pauses;

void RecordingSleep(uint32_t ms) {
    {
        std::lock_guard<std::mutex> lock(g_pauseMutex);
        g_pauses.push_back(ms);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

std::vector<uint32_t> Pauses() {
    std::lock_guard<std::mutex> lock(g_pauseMutex);
    return g_pauses;
}

const Bytes kMenu = {0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67};
const Bytes kHome = {0xff, 0x01, 0x00, 0x07, 0x00, 0x22, 0x2a};
const Bytes kTour = {0xff, 0x01, 0x00, 0x07, 0x00, 0x4c, 0x54};

// The port open at 115200 baud on a Pelco-D driver, with the recording pause.
class Replay : public ::testing::Test {
protected:
    void SetUp() override {
        {
            std::lock_guard<std::mutex> lock(g_pauseMutex);
            g_pauses.clear();
        }
        h.Select(IDC_COMBO_PTZMODEL, 0);
        h.Combo(IDC_COMBO_BAUDRATE)->setCurrentIndex(9);
        ASSERT_TRUE(h.OpenPort());
    }
    void AddRows(const std::vector<std::pair<Bytes, uint32_t>>& rows) {
        for (const auto& [frame, interval] : rows) {
            h.dlg().AppendCommandItem(Record(frame, interval));
        }
    }
    bool WaitForPauses(size_t n) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Pauses().size() < n && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return Pauses().size() >= n;
    }
    bool Running() { return h.probe().ReplayThreadRunning(); }

    DialogHarness h{DialogOptions::WithReplaySleep(&RecordingSleep)};
};

TEST_F(Replay, RowsGoOutInOrderPassAfterPassUntilStopped) {
    struct Case {
        const char* interval;
        std::vector<uint32_t> pauses;  // of the first two passes
    };
    const Case cases[] = {{"800", {800, 800, 800, 800, 800, 800}},
                          {"0", {40, 250, 1000, 40, 250, 1000}}};  // a row's 0 pauses 40
    AddRows({{kMenu, 0}, {kHome, 250}, {kTour, 1000}});
    Bytes twoPasses;
    for (int pass = 0; pass < 2; ++pass) {
        for (const Bytes* frame : {&kMenu, &kHome, &kTour}) {
            twoPasses.insert(twoPasses.end(), frame->begin(), frame->end());
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        {
            std::lock_guard<std::mutex> lock(g_pauseMutex);
            g_pauses.clear();
        }
        h.Edit(IDC_EDIT_CMDINTERVAL)->setText(c.interval);
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        ASSERT_TRUE(Running());
        EXPECT_EQ(h.pty().ReadPeer(twoPasses.size()), twoPasses);
        ASSERT_TRUE(WaitForPauses(6));
        EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Stop");
        for (int id : AllControlIds()) {
            const bool locked = (kPortGroup.count(id) || kReplayExtra.count(id)) && id != 1028;
            EXPECT_EQ(h.Item(id)->isEnabled(), !locked) << "while running, control " << id;
        }
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        EXPECT_FALSE(Running());
        EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Start");
        for (int id : AllControlIds()) {
            EXPECT_TRUE(h.Item(id)->isEnabled()) << "after the stop, control " << id;
        }
        const std::vector<uint32_t> pauses = Pauses();
        EXPECT_EQ(pauses.size() % 3, 0u) << "the stop waits for the pass under way";
        EXPECT_EQ(std::vector<uint32_t>(pauses.begin(), pauses.begin() + 6), c.pauses);
        EXPECT_EQ(h.Rows(), 3) << "replayed commands are not listed";
        h.pty().DrainPeer();
    }
}

TEST_F(Replay, ASevenByteRowGoesOutAsEightOnPelcoP) {
    h.Select(IDC_COMBO_PTZMODEL, 1);
    AddRows({{kMenu, 0}});
    h.Click(IDC_BTN_AUTOSTART);
    EXPECT_EQ(h.pty().ReadPeer(16), (Bytes{0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67, 0x00, 0xff,
                                           0x01, 0x00, 0x07, 0x00, 0x5f, 0x67, 0x00}));
    h.Click(IDC_BTN_AUTOSTART);
}

TEST_F(Replay, TheFirstCommandByHandAfterAReplayHasInterval0) {
    ScopedManualTicks ticks(1000);
    h.Click(IDC_BTN_MENU);
    ticks.Advance(300);
    h.Click(IDC_BTN_AUTOSTART);
    h.Click(IDC_BTN_AUTOSTART);
    ticks.Advance(300);
    h.Click(IDC_BTN_MENU);
    ASSERT_EQ(h.Rows(), 2);
    EXPECT_EQ(h.Row(1).interval, "0");
}

TEST_F(Replay, SettingsChangesAndALoadStopARunningReplayFirst) {
    const std::pair<const char*, void (COrvaneDlg::*)()> cases[] = {
        {"address", &COrvaneDlg::OnSelchangePtzAddress},
        {"model", &COrvaneDlg::OnSelchangePtzModel},
        {"baud rate", &COrvaneDlg::OnSelchangeBaudRate},
        {"load", &COrvaneDlg::OnBrowse},
    };
    TempDir dir;
    WriteWholeFile(dir.File(kCfg),
                   FileBytes(Header(0, 9, 3, 0, 0, 1, 1, 32, 800, 1), {{kMenu, 0}}));
    h.prompter().fileAnswers.push_back(dir.File(kCfg));  // taken by the load case alone
    for (const auto& [what, handler] : cases) {
        AddRows({{kMenu, 0}});
        h.Click(IDC_BTN_AUTOSTART);
        ASSERT_TRUE(Running()) << what;
        (h.dlg().*handler)();  // reached directly: the controls are locked while it runs
        EXPECT_FALSE(Running()) << what;
        EXPECT_EQ(h.probe().AutoRun(), 0) << what;
        EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Start") << what;
        EXPECT_TRUE(h.Item(IDC_BTN_OPENPORT)->isEnabled()) << what;
        EXPECT_NE(h.probe().Driver(), nullptr) << what;
    }
}

TEST_F(Replay, ShutDownDuringAReplay) {
    AddRows({{kMenu, 0}, {kHome, 0}});
    h.Click(IDC_BTN_AUTOSTART);
    ASSERT_TRUE(WaitForPauses(1));
    h.dlg().reject();
    EXPECT_FALSE(Running());
    EXPECT_FALSE(h.probe().Driver() || h.probe().MemFile() || h.probe().TempBuffer());
    EXPECT_EQ(Pauses().size() % 2, 0u);
}

}  // namespace
