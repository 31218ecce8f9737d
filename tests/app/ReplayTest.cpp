#include <gtest/gtest.h>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "commandlist/CommandListFile.h"
#include "console/ControlIds.h"
#include "console/NumberField.h"
#include "serial/SerialPort.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

// The replay's time, let go by the test one pause at a time. A pause not let
// go lasts until the replay is aborted, or 10 s: then it counts as expired.
class GatedClock final : public ReplayClock {
public:
    TimePoint Now() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_now;
    }
    void WaitUntil(TimePoint deadline, std::stop_token abort) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_pauses.push_back(static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - m_now).count()));
        if (!m_wake.wait_for(lock, abort, std::chrono::seconds(10), [this] { return m_let > 0; })) {
            m_expired = m_expired || !abort.stop_requested();
            return;
        }
        --m_let;
        m_now = std::max(m_now, deadline);
    }
    void Let(int pauses) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_let += pauses;
        m_wake.notify_all();
    }
    std::vector<uint32_t> TakePauses() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_pauses, {});
    }
    bool Expired() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_expired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    TimePoint m_now{};
    int m_let = 0;
    bool m_expired = false;
    std::vector<uint32_t> m_pauses;
};

const Bytes kMenu = {0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67};
const Bytes kHome = {0xff, 0x01, 0x00, 0x07, 0x00, 0x22, 0x2a};
const Bytes kTour = {0xff, 0x01, 0x00, 0x07, 0x00, 0x4c, 0x54};

// The port open at 115200 baud on a Pelco-D driver, the replay on the gated clock.
class Replay : public ::testing::Test {
protected:
    void SetUp() override {
        h.Select(IDC_COMBO_PTZMODEL, 0);
        h.Combo(IDC_COMBO_BAUDRATE)->setCurrentIndex(9);
        ASSERT_TRUE(h.OpenPort());
    }
    void AddRows(const std::vector<std::pair<Bytes, uint32_t>>& rows) {
        for (const auto& [frame, interval] : rows) {
            h.dlg().AppendCommandItem(Record(frame, interval));
        }
    }
    // Lets one pause go and sees its command on the line.
    void Send(const Bytes& frame) {
        clock.Let(1);
        EXPECT_EQ(h.pty().ReadPeer(frame.size()), frame);
    }
    bool Running() { return h.probe().ReplayThreadRunning(); }

    GatedClock clock;
    DialogHarness h{DialogOptions::WithReplayClock(clock)};
};

TEST_F(Replay, RowsGoOutInOrderPassAfterPassAndAStopLetsThePassFinish) {
    const std::pair<const char*, std::vector<uint32_t>> cases[] = {
        {"800", {800, 800, 800}}, {"0", {40, 250, 1000}}};  // a row's 0 pauses 40
    ScopedManualTicks ticks(1000);
    h.Click(IDC_BTN_MENU);  // by hand: its tick is the last one, until a replay
    ASSERT_EQ(h.pty().ReadPeer(kMenu.size()), kMenu);
    AddRows({{kHome, 250}, {kTour, 1000}});
    h.prompter().Clear();
    for (const char* refused : {"", "4294967296"}) {
        h.Edit(IDC_EDIT_CMDINTERVAL)->setText(refused);
        h.Click(IDC_BTN_AUTOSTART);
        EXPECT_FALSE(Running()) << refused;
    }
    EXPECT_EQ(h.prompter().Texts(),
              std::vector<std::string>(2, NumberField::InvalidMessage("Cmd Interval Time")));
    auto expectLocked = [this](bool replay, bool stopping) {
        for (int id : AllControlIds()) {
            const bool locked = replay && (kPortGroup.count(id) || kReplayExtra.count(id)) &&
                                (id != IDC_BTN_AUTOSTART || stopping);
            EXPECT_EQ(h.Item(id)->isEnabled(), !locked) << "control " << id;
        }
    };
    for (const auto& [interval, onePass] : cases) {
        SCOPED_TRACE(interval);
        h.Edit(IDC_EDIT_CMDINTERVAL)->setText(interval);
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        for (int i = 0; i < 7; ++i) {
            Send(*std::array{&kMenu, &kHome, &kTour}[i % 3]);
        }
        EXPECT_TRUE(h.WaitFor([this] {
            const QModelIndexList rows = h.probe().ListView()->selectionModel()->selectedRows();
            return rows.size() == 1 && rows[0].row() == 0 && h.probe().ReplayPassText() == "Pass 3";
        })) << "the row last sent is marked, with its pass";
        expectLocked(true, false);
        // Returns while two commands of the third pass are still to go.
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        EXPECT_FALSE(h.Click(IDC_BTN_AUTOSTART)) << "no click becomes a new start";
        expectLocked(true, true);
        Send(kHome);
        Send(kTour);
        ASSERT_TRUE(h.WaitFor(
            [this] { return h.Button(IDC_BTN_AUTOSTART)->text() == "Auto Start" && !Running(); }));
        expectLocked(false, false);
        std::vector<uint32_t> pauses;
        for (int pass = 0; pass < 3; ++pass) {
            pauses.insert(pauses.end(), onePass.begin(), onePass.end());
        }
        EXPECT_EQ(clock.TakePauses(), pauses);
        EXPECT_TRUE(h.pty().DrainPeer().empty());
        EXPECT_EQ(h.Rows(), 3) << "replayed commands are not listed";
        EXPECT_EQ(h.probe().ReplayPassText(), "");
    }
    ticks.Advance(300);
    h.Click(IDC_BTN_MENU);
    EXPECT_EQ(h.Row(3).interval, "0") << "the first command by hand after a replay";
}

// Reached directly: the controls are locked while a replay runs. Each ends it
// at once, inside a pause, with nothing more sent.
TEST_F(Replay, SettingsChangesALoadAndACloseEndAReplayAtOnce) {
    const std::pair<const char*, void (COrvaneDlg::*)()> cases[] = {
        {"address", &COrvaneDlg::OnSelchangePtzAddress},
        {"model", &COrvaneDlg::OnSelchangePtzModel},
        {"baud rate", &COrvaneDlg::OnSelchangeBaudRate},
        {"load", &COrvaneDlg::OnBrowse},
        {"close", &COrvaneDlg::reject},
    };
    TempDir dir;
    WriteWholeFile(dir.File(kCfg),
                   FileBytes(Header(0, 9, 3, 0, 0, 0, 1, 32, 800, 1), {{kMenu, 0}}));
    h.prompter().fileAnswers.push_back(dir.File(kCfg));  // taken by the load case alone
    for (const auto& [what, handler] : cases) {
        SCOPED_TRACE(what);
        h.dlg().EmptyCommandList();
        AddRows({{kHome, 0}, {kTour, 0}});
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        Send(kHome);
        (h.dlg().*handler)();
        EXPECT_FALSE(Running());
        EXPECT_EQ(h.probe().AutoRun(), 0);
        EXPECT_FALSE(clock.Expired()) << "the pause under way was cut short";
        EXPECT_TRUE(h.pty().DrainPeer().empty());
    }
    EXPECT_FALSE(h.probe().Driver() || h.probe().MemFile()) << "closed";
    CSerialPort next;
    EXPECT_EQ(next.OpenComm([](uint8_t*, uint32_t) {}, 1, 115200, 'N', 8, 1), 1)
        << "the port is free for a new instance";
}

TEST_F(Replay, AFileLongerThanTheListLoadsItsFirstRowsAndSaysHowManyWereLeftOut) {
    TempDir dir;
    const int32_t rows = kMaxCommandListRows + 5;
    WriteWholeFile(dir.File(kCfg), FileBytes(Header(0, 9, 3, 0, 0, 0, 1, 32, 800, rows), {}));
    std::filesystem::resize_file(dir.File(kCfg), 48 + 16 * static_cast<uintmax_t>(rows));
    ASSERT_TRUE(h.Load(dir.File(kCfg)));
    EXPECT_EQ(h.Rows(), kMaxCommandListRows);
    EXPECT_EQ(h.prompter().Last(),
              "Loaded the first 1048576 rows; the list holds no more, "
              "so 5 rows of the file were left out.");
}

TEST_F(Replay, NewRowsComeIntoViewOnlyWhileTheViewIsAtItsBottom) {
    QScrollBar* bar = h.probe().ListView()->verticalScrollBar();
    auto add = [this](int rows) {
        for (int i = 0; i < rows; ++i) {
            AddRows({{kMenu, 0}});
        }
        h.ProcessEvents();
    };
    add(1);  // the view is at its bottom before it can scroll
    add(60);
    ASSERT_TRUE(h.WaitFor([bar] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));
    bar->setValue(0);
    const int max = bar->maximum();
    add(60);
    ASSERT_TRUE(h.WaitFor([bar, max] { return bar->maximum() > max; }));
    EXPECT_EQ(bar->value(), 0) << "scrolled up to read, the view stays";
}

}  // namespace
