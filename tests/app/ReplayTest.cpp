#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>

#include "commandlist/CommandListFile.h"
#include "console/ControlIds.h"
#include "console/NumberField.h"
#include "serial/SerialPort.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

const Bytes kMenu = {0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67};

// Each row waits a minute on the steady clock: a replay that is not ended at
// once holds the handler for that minute.
TEST(Replay, IsRefusedWithoutAnIntervalAndEndsAtOnceOnEverySettingsChange) {
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
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    h.prompter().fileAnswers.push_back(dir.File(kCfg));  // taken by the load case alone
    auto expectLocked = [&h](bool replay, bool stopping) {
        for (int id : AllControlIds()) {
            const bool locked = replay && (kPortGroup.count(id) || kReplayExtra.count(id)) &&
                                (id != IDC_BTN_AUTOSTART || stopping);
            EXPECT_EQ(h.Item(id)->isEnabled(), !locked) << "control " << id;
        }
    };
    for (const auto& [what, handler] : cases) {
        SCOPED_TRACE(what);
        h.dlg().EmptyCommandList();
        h.dlg().AppendCommandItem(Record(kMenu, 0));
        h.prompter().Clear();
        h.Edit(IDC_EDIT_CMDINTERVAL)->setText("");
        h.Click(IDC_BTN_AUTOSTART);
        EXPECT_EQ(h.prompter().Last(), NumberField::InvalidMessage("Cmd Interval Time"));
        EXPECT_FALSE(h.probe().ReplayThreadRunning());

        h.Edit(IDC_EDIT_CMDINTERVAL)->setText("60000");
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        expectLocked(true, false);
        // A stop waits for the pass under way, and takes no second click.
        ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
        EXPECT_FALSE(h.Click(IDC_BTN_AUTOSTART));
        expectLocked(true, true);
        const auto called = std::chrono::steady_clock::now();
        (h.dlg().*handler)();
        EXPECT_LT(std::chrono::steady_clock::now() - called, std::chrono::seconds(10))
            << "the pause under way was not cut short";
        EXPECT_FALSE(h.probe().ReplayThreadRunning());
        EXPECT_EQ(h.probe().AutoRun(), 0);
        if (handler != &COrvaneDlg::reject) {
            EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Start");
            expectLocked(false, false);
        }
    }
    EXPECT_TRUE(h.pty().DrainPeer().empty());
    CSerialPort next;
    EXPECT_EQ(next.OpenComm([](uint8_t*, uint32_t) {}, 1, 9600, 'N', 8, 1), 1)
        << "the port is free for a new instance";
}

}  // namespace
