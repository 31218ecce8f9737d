// Shutting the dialog down in the middle of things: during a replay, with a
// pile of appends queued for the list, and with the line gone. Every way ends
// (a hang is the test's timeout), leaves no program-wide state behind and
// lets a new dialog work.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <functional>
#include <memory>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tools/DomeReport.h"

namespace {

// A replay of two rows with a 1 ms pause, started once both rows are out.
void StartReplay(DialogHarness& h, DomePeer& dome) {
    h.Click(IDC_BTN_MENU);
    ASSERT_TRUE(dome.WaitForFrames(1));
    h.Click(IDC_BTN_HOME);
    ASSERT_TRUE(dome.WaitForFrames(2));
    h.Type(IDC_EDIT_CMDINTERVAL, "1");
    ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
    ASSERT_TRUE(dome.WaitForFrames(4));
}

void HoldUp(DialogHarness& h, DomePeer& dome) {
    h.Press(IDC_BTN_UP);
    ASSERT_TRUE(dome.WaitForFrames(1));
}

// Presses faster than the log thread takes them, and list appends queued on
// the dialog's thread that will never have run.
void QueueAppends(DialogHarness& h, DomePeer&) {
    for (int i = 0; i < 300; ++i) {
        h.Press(IDC_BTN_LEFT);
        h.Release(IDC_BTN_LEFT);
    }
    for (int i = 0; i < 5000; ++i) {
        QMetaObject::invokeMethod(&h.dlg(), "OnLogCommand", Qt::QueuedConnection);
    }
}

TEST(Shutdown, LeavesNothingBehindWhateverIsUnderWay) {
    using Setup = std::function<void(DialogHarness&, DomePeer&)>;
    struct Case {
        const char* name;
        Setup setup;
        bool vanish;    // the line goes away before the shut-down
        bool viaClose;  // the dialog is closed first, then destroyed
    };
    const Case cases[] = {
        {"during a replay", StartReplay, false, false},
        {"with appends queued, closed first", QueueAppends, false, true},
        {"with the line gone and a button held", HoldUp, true, false},
        {"with the line gone during a replay, closed first", StartReplay, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            auto h = std::make_unique<DialogHarness>();
            ASSERT_TRUE(h->OpenPort());
            auto dome = std::make_unique<DomePeer>(h->pty().master());
            c.setup(*h, *dome);
            if (HasFatalFailure()) {
                return;
            }
            if (c.vanish) {
                dome->Stop();
                h->pty().Vanish();
            }
            if (c.viaClose) {
                h->dlg().reject();
                EXPECT_FALSE(h->probe().ReplayThreadRunning());
                EXPECT_FALSE(h->probe().LogThreadRunning());
                EXPECT_EQ(h->probe().Port(), nullptr);
            }
            dome->Stop();
            h.reset();
            QCoreApplication::processEvents();
        }
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
