// Shutting the dialog down in the middle of things: during a replay, with a
// pile of appends queued for the list, and with the line gone. Every way ends
// (a hang is the test's timeout), leaves no program-wide state behind and
// lets a new dialog work.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tools/DomeReport.h"

namespace {

enum class UnderWay { Replay, QueuedAppends, Hold };

TEST(Shutdown, LeavesNothingBehindWhateverIsUnderWay) {
    struct Case {
        const char* name;
        UnderWay underWay;
        bool vanish;    // the line goes away before the shut-down
        bool viaClose;  // the dialog is closed first, then destroyed
    };
    const Case cases[] = {
        {"during a replay", UnderWay::Replay, false, false},
        {"with appends queued, closed first", UnderWay::QueuedAppends, false, true},
        {"with the line gone and a button held", UnderWay::Hold, true, false},
        {"with the line gone during a replay, closed first", UnderWay::Replay, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DialogHarness h;
            ASSERT_TRUE(h.OpenPort());
            DomePeer dome(h.pty().master());
            if (c.underWay == UnderWay::Replay) {
                // Two rows with a 1 ms pause, started once both are out.
                h.Click(IDC_BTN_MENU);
                ASSERT_TRUE(dome.WaitForFrames(1));
                h.Click(IDC_BTN_HOME);
                ASSERT_TRUE(dome.WaitForFrames(2));
                h.Type(IDC_EDIT_CMDINTERVAL, "1");
                ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
                ASSERT_TRUE(dome.WaitForFrames(4));
            } else if (c.underWay == UnderWay::Hold) {
                h.Press(IDC_BTN_UP);
                ASSERT_TRUE(dome.WaitForFrames(1));
            } else {
                // Presses faster than the log thread takes them, and list
                // appends queued that will never have run.
                for (int i = 0; i < 300; ++i) {
                    h.Press(IDC_BTN_LEFT);
                    h.Release(IDC_BTN_LEFT);
                }
                for (int i = 0; i < 5000; ++i) {
                    QMetaObject::invokeMethod(&h.dlg(), "OnLogCommand", Qt::QueuedConnection);
                }
            }
            if (c.vanish) {
                dome.Stop();
                h.pty().Vanish();
            }
            if (c.viaClose) {
                h.dlg().reject();
                EXPECT_FALSE(h.probe().ReplayThreadRunning());
                EXPECT_FALSE(h.probe().LogThreadRunning());
                EXPECT_EQ(h.probe().Port(), nullptr);
            }
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(g_pPtz, nullptr);
        EXPECT_EQ(g_hMsgSemaphore.get(), nullptr);
        EXPECT_EQ(g_pLastCmdTick, nullptr);

        // Nothing left over gets in the way of the next dialog.
        DialogHarness next;
        ASSERT_TRUE(next.OpenPort());
        DomePeer dome(next.pty().master());
        next.Press(IDC_BTN_UP);
        ASSERT_TRUE(dome.WaitForFrames(1));
        next.Release(IDC_BTN_UP);
        ASSERT_TRUE(dome.WaitForFrames(2));
        EXPECT_EQ(CommandText(dome.Frame(1).command, false), "stop");
        EXPECT_TRUE(next.WaitForRows(1));
    }
}

}  // namespace
