// The line going away under the dialog, and a device that another process
// holds: the dialog stays responsive and idle, says so, and recovers once the
// device is back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "console/ControlIds.h"
#include "tests/fault/FaultUtil.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
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

TEST(LineLoss, APeerThatVanishesLeavesTheDialogIdleResponsiveAndAbleToReopen) {
    using Action = std::function<void(DialogHarness&, DomePeer&)>;
    struct Case {
        const char* name;
        Action begin;                             // with the line alive
        std::function<void(DialogHarness&)> end;  // after it vanished
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
         [](DialogHarness& h) { ASSERT_TRUE(h.StopReplay()); }},
        {"while a button is held",
         [](DialogHarness& h, DomePeer& dome) {
             h.Press(IDC_BTN_UP);
             ASSERT_TRUE(dome.WaitForFrames(1));
             ASSERT_TRUE(h.WaitForRows(1));
         },
         [](DialogHarness& h) {
             h.Release(IDC_BTN_UP);
             ASSERT_TRUE(h.WaitForRows(2)) << "the stop is listed though it went nowhere";
             EXPECT_EQ(h.Row(1).message, "a0 01 00 00 00 00 af 0e");
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
        h.pty().Vanish();

        // About a second with nothing to do but notice the lost line.
        bool fired = false;
        QTimer::singleShot(0, [&fired] { fired = true; });
        const double cpu0 = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double wall0 = ClockSeconds(CLOCK_MONOTONIC);
        QTest::qWait(1000);
        const double share = (ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) /
                             (ClockSeconds(CLOCK_MONOTONIC) - wall0);
        EXPECT_TRUE(fired) << "queued events ran";
        EXPECT_LT(share, 0.2) << "a thread spins on the lost line";

        c.end(h);
        const int rows = h.Rows();
        ASSERT_TRUE(h.Click(IDC_BTN_MENU));
        EXPECT_EQ(h.Rows(), rows + 1) << "a click still works";

        h.prompter().Clear();
        EXPECT_FALSE(h.OpenPort());
        EXPECT_EQ(LastMessage(h), "Serial Port Close Success!");
        EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open");
        EXPECT_FALSE(h.OpenPort()) << "the device is gone";
        EXPECT_EQ(LastMessage(h), "Serial Port Open Failed!");

        PtyPair back;
        ASSERT_TRUE(h.ports().Link(1, back.slavePath()));
        ASSERT_TRUE(h.OpenPort());
        EXPECT_EQ(LastMessage(h), "Serial Port Open Success!");
        ExpectUpAndStopReach(h, back.master());
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
    EXPECT_EQ(LastMessage(h), "Serial Port Open Failed!");
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open");
    EXPECT_FALSE(h.Item(IDC_BTN_UP)->isEnabled());

    holder.Release();
    ASSERT_TRUE(h.OpenPort());
    EXPECT_EQ(LastMessage(h), "Serial Port Open Success!");
    ExpectUpAndStopReach(h, h.pty().master());
}

}  // namespace
