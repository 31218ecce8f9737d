// The line going away under the dialog, and a device that another process
// holds: the dialog stays responsive and idle, says so, and recovers once the
// device is back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "console/ControlIds.h"
#include "tests/fault/FaultUtil.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tools/DomeReport.h"

extern char** environ;

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
         [](DialogHarness& h) {
             ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
             EXPECT_FALSE(h.dlg().m_hAutoThread.joinable());
             EXPECT_EQ(h.Button(IDC_BTN_AUTOSTART)->text(), "Auto Start");
         }},
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
        Watchdog watchdog(c.name, 60);
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
        const double cpu0 = ProcessCpuSeconds();
        const double wall0 = WallSeconds();
        QTest::qWait(1000);
        const double share = (ProcessCpuSeconds() - cpu0) / (WallSeconds() - wall0);
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

// Another process that holds the device until released.
class Holder {
public:
    virtual ~Holder() = default;
    virtual bool holding() const = 0;
};

// A forked child that opens the device and takes its lock, as any other
// program may.
class LockingChild : public Holder {
public:
    explicit LockingChild(const std::string& path) {
        int ready[2];
        int release[2];
        if (pipe2(ready, O_CLOEXEC) != 0 || pipe2(release, O_CLOEXEC) != 0) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls: the parent has threads. The
            // parent's end must close here too, or the release never comes.
            close(release[1]);
            close(ready[0]);
            const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
            const char held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
            if (write(ready[1], &held, 1) != 1) {
                _exit(2);
            }
            char byte = 0;
            while (read(release[0], &byte, 1) > 0) {
            }
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char held = 0;
        m_holding = m_pid > 0 && read(ready[0], &held, 1) == 1 && held == '1';
        close(ready[0]);
    }
    ~LockingChild() override {
        close(m_release);
        if (m_pid > 0) {
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool holding() const override { return m_holding; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};

// A second program with its own serial port object on COM1.
class PortProgram : public Holder {
public:
    PortProgram() {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        char path[] = ORVANE_PORT_HOLDER_PATH;
        char port[] = "1";
        char* argv[] = {path, port, nullptr};
        if (posix_spawn(&m_pid, path, &actions, nullptr, argv, environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        m_release = in[1];
        char line[16] = {};
        pollfd pfd{out[0], POLLIN, 0};
        if (m_pid > 0 && poll(&pfd, 1, 10000) > 0) {
            const ssize_t n = read(out[0], line, sizeof line - 1);
            m_holding = n > 0 && std::string(line, static_cast<size_t>(n)) == "held\n";
        }
        close(out[0]);
    }
    ~PortProgram() override {
        close(m_release);
        if (m_pid > 0) {
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool holding() const override { return m_holding; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};

TEST(LineLoss, ADeviceAnotherProcessHoldsIsRefusedUntilItLetsGo) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<Holder>(DialogHarness&)> hold;
    };
    const Case cases[] = {
        {"a lock taken by another process",
         [](DialogHarness& h) { return std::make_unique<LockingChild>(h.pty().slavePath()); }},
        {"another program's serial port",
         [](DialogHarness&) { return std::make_unique<PortProgram>(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogHarness h;
        std::unique_ptr<Holder> holder = c.hold(h);
        ASSERT_TRUE(holder->holding());

        EXPECT_FALSE(h.OpenPort());
        EXPECT_EQ(LastMessage(h), "Serial Port Open Failed!");
        EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open");
        EXPECT_FALSE(h.Item(IDC_BTN_UP)->isEnabled());

        holder.reset();
        ASSERT_TRUE(h.OpenPort());
        EXPECT_EQ(LastMessage(h), "Serial Port Open Success!");
        ExpectUpAndStopReach(h, h.pty().master());
    }
}

}  // namespace
