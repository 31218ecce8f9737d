// The line going away under the dialog: the dialog says so, closes the port,
// lists nothing that did not go out, and opens again once the device is back.
#include <gtest/gtest.h>

#include <QPushButton>
#include <functional>
#include <string>

#include "console/ControlIds.h"
#include "serial/SerialPort.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tests/support/WaitUntil.h"
#include "tools/DomeReport.h"

namespace {

TEST(LineLoss, AVanishedPeerClosesThePortListsNothingAndAReboundLinkReopens) {
    struct Case {
        const char* name;
        std::function<void(DialogHarness&, DomePeer&)> begin;  // with the line alive
        std::function<void(DialogHarness&)> whileLost;         // before the dialog heard of it
    };
    const Case cases[] = {
        {"during a replay",
         [](DialogHarness& h, DomePeer& dome) {
             h.Click(IDC_BTN_MENU);
             h.Click(IDC_BTN_HOME);
             h.Type(IDC_EDIT_CMDINTERVAL, "5");
             ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
             ASSERT_TRUE(dome.WaitForFrames(5));
         },
         [](DialogHarness&) {}},
        {"while a button is held",
         [](DialogHarness& h, DomePeer& dome) {
             h.Press(IDC_BTN_UP);
             ASSERT_TRUE(dome.WaitForFrames(1));
             ASSERT_TRUE(h.WaitForRows(1));
         },
         [](DialogHarness& h) {
             h.Release(IDC_BTN_UP);
             h.Click(IDC_BTN_MENU);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogHarness h;
        ASSERT_TRUE(h.OpenPort());
        {
            DomePeer dome(h.pty().master());
            c.begin(h, dome);
            if (HasFatalFailure()) {
                return;
            }
        }
        const int rows = h.Rows();
        h.pty().Vanish();
        ASSERT_TRUE(WaitUntil([&] { return h.probe().Port()->IsLineLost() != 0; }));
        c.whileLost(h);
        EXPECT_EQ(h.Rows(), rows) << "nothing is listed as sent while no line is open";

        h.prompter().Clear();
        EXPECT_TRUE(h.WaitFor([&] { return !h.probe().PortOpen(); }));
        EXPECT_FALSE(h.probe().Port()->IsCommOpen());
        EXPECT_FALSE(h.Item(IDC_BTN_UP)->isEnabled());
        EXPECT_FALSE(h.probe().ReplayThreadRunning());
        EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Start");
        ASSERT_EQ(h.prompter().messages.size(), 1u);
        EXPECT_EQ(h.prompter().Last().rfind("Serial Line Lost!", 0), 0u) << h.prompter().Last();

        // The adapter back under another name: the link follows it.
        PtyPair back;
        ASSERT_TRUE(h.ports().Link(1, back.slavePath()));
        ASSERT_TRUE(h.OpenPort());
        DomePeer dome(back.master());
        h.Press(IDC_BTN_UP);
        ASSERT_TRUE(dome.WaitForFrames(1));
        // Had the stop sent into the lost line been handed to the log, it
        // would come first.
        ASSERT_TRUE(h.WaitForRows(rows + 1));
        EXPECT_EQ(h.Row(rows).message, "a0 01 00 08 00 20 af 26");
        h.Release(IDC_BTN_UP);
        ASSERT_TRUE(dome.WaitForFrames(2));
        EXPECT_EQ(CommandText(dome.Frame(1).command, false), "stop");
    }
}

// Nobody reads the far end: the line fills, then the port's queue, and the
// line is lost as stalled. The operator learns how many listed commands never
// went out.
TEST(LineLoss, AStalledPeerIsReportedWithTheListedCommandsThatDidNotGoOut) {
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    for (int i = 0; i < 20000 && !h.probe().Port()->IsLineLost(); ++i) {
        h.Click(IDC_BTN_MENU);
    }
    ASSERT_TRUE(h.probe().Port()->IsLineLost());
    const LineLoss loss = h.probe().Port()->LastLineLoss();
    EXPECT_EQ(loss.kind, LineLossKind::Stalled);
    EXPECT_TRUE(h.WaitFor([&] { return !h.probe().PortOpen(); }));
    const std::string shown = h.prompter().Last();
    EXPECT_EQ(shown.rfind("Serial Line Lost!\n\nThe serial line took no byte", 0), 0u) << shown;
    const std::string tail =
        "The last " + std::to_string(loss.framesNotWritten) + " commands listed did not go out.";
    EXPECT_GT(loss.framesNotWritten, 1u);
    EXPECT_NE(shown.find(tail), std::string::npos) << shown;
}

}  // namespace
