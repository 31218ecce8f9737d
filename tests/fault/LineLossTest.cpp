// The line going away under the dialog, and a device that another process
// holds: the dialog says so, closes the port, lists nothing that did not go
// out, and opens again once the device is back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>

#include "console/ControlIds.h"
#include "serial/SerialPort.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tests/support/WaitUntil.h"
#include "tools/DomeReport.h"

namespace {

std::string LastMessage(DialogHarness& h) {
    return h.prompter().messages.empty() ? std::string() : h.prompter().messages.back().text;
}

// The press and release of Up reach the dome on `fd` as a tilt and a stop.
void ExpectUpAndStopReach(DialogHarness& h, int fd) {
    DomePeer dome(fd);
    h.Press(IDC_BTN_UP);
    ASSERT_TRUE(dome.WaitForFrames(1));
    h.Release(IDC_BTN_UP);
    ASSERT_TRUE(dome.WaitForFrames(2));
    EXPECT_EQ(CommandText(dome.Frame(0).command, false), "tilt up");
    EXPECT_EQ(CommandText(dome.Frame(1).command, false), "stop");
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

TEST(LineLoss, AVanishedPeerClosesThePortListsNothingAndAReboundLinkReopens) {
    using Action = std::function<void(DialogHarness&)>;
    struct Case {
        const char* name;
        std::function<void(DialogHarness&, DomePeer&)> begin;  // with the line alive
        Action whileLost;  // after it vanished, before the dialog heard of it
    };
    const Case cases[] = {
        {"during a replay",
         [](DialogHarness& h, DomePeer& dome) {
             // One at a time, so each frame has left before the next is queued.
             h.Click(IDC_BTN_MENU);
             ASSERT_TRUE(dome.WaitForFrames(1));
             h.Click(IDC_BTN_HOME);
             ASSERT_TRUE(dome.WaitForFrames(2));
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
        QElapsedTimer waited;
        waited.start();
        while (h.probe().PortOpen() && waited.elapsed() < 5000) {
            QTest::qWait(5);
        }
        EXPECT_FALSE(h.probe().PortOpen());
        EXPECT_FALSE(h.probe().Port()->IsCommOpen());
        EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open");
        EXPECT_FALSE(h.Item(IDC_BTN_UP)->isEnabled());
        EXPECT_TRUE(h.Item(IDC_COMBO_COM)->isEnabled());
        EXPECT_FALSE(h.probe().ReplayThreadRunning());
        EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Start");
        ASSERT_EQ(h.prompter().messages.size(), 1u);
        EXPECT_TRUE(StartsWith(LastMessage(h), "Serial Line Lost!")) << LastMessage(h);

        // The adapter back under another name: the link follows it.
        PtyPair back;
        ASSERT_TRUE(h.ports().Link(1, back.slavePath()));
        ASSERT_TRUE(h.OpenPort());
        EXPECT_EQ(LastMessage(h), "Serial Port Open Success!");
        DomePeer dome(back.master());
        h.Press(IDC_BTN_UP);
        ASSERT_TRUE(dome.WaitForFrames(1));
        // Had the stop sent into the lost line been handed to the log, it
        // would come first.
        ASSERT_TRUE(h.WaitForRows(rows + 1));
        EXPECT_EQ(h.Row(rows).message, "a0 01 00 08 00 20 af 26");
        h.Release(IDC_BTN_UP);
    }
}

TEST(LineLoss, ADeviceAnotherProcessHoldsIsRefusedUntilItLetsGo) {
    DialogHarness h;
    // Another process takes the device's lock, as any other program may, and
    // keeps it until killed. The child makes only async-signal-safe calls:
    // the parent has threads.
    const std::string path = h.pty().slavePath();
    int ready[2];
    ASSERT_EQ(pipe2(ready, O_CLOEXEC), 0);
    pid_t child = fork();
    if (child == 0) {
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
        const char held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
        while (write(ready[1], &held, 1) == 1) {
            pause();
        }
        _exit(2);
    }
    struct Reaper {
        pid_t& pid;
        ~Reaper() { Release(); }
        void Release() {
            if (pid > 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                pid = -1;
            }
        }
    } holder{child};
    close(ready[1]);
    char held = 0;
    ASSERT_TRUE(read(ready[0], &held, 1) == 1 && held == '1');
    close(ready[0]);

    EXPECT_FALSE(h.OpenPort());
    EXPECT_TRUE(StartsWith(LastMessage(h), "Serial Port Open Failed!\n\n"));
    EXPECT_NE(LastMessage(h).find("in use by another program"), std::string::npos);
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open");
    EXPECT_FALSE(h.Item(IDC_BTN_UP)->isEnabled());

    holder.Release();
    ASSERT_TRUE(h.OpenPort());
    EXPECT_EQ(LastMessage(h), "Serial Port Open Success!");
    ExpectUpAndStopReach(h, h.pty().master());
}

}  // namespace
