#include "serial/OpenFailure.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iomanip>
#include <optional>
#include <string>

#include "platform/PortBindings.h"
#include "serial/PortLock.h"
#include "serial/SerialPort.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"

namespace {

void Ignore(uint8_t*, uint32_t) {}

long DeadPid() {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(0);
    }
    waitpid(pid, nullptr, 0);
    return pid;
}

void WriteLock(const PtyPair& pty, long pid) {
    std::ofstream(UucpLockPath(pty.slavePath()), std::ios::trunc) << std::setw(10) << pid << '\n';
}

TEST(OpenFailure, EachConditionGivesItsReason) {
    ScopedPortMap map;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    // A program holding the slave open without a lock; as the far end, one
    // that keeps the master too (a virtual dome, socat).
    std::optional<ChildProcess> holder;
    auto hold = [&](bool farEnd) {
        holder.emplace([&pty, farEnd] {
            (void)!open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
            if (!farEnd) {
                close(pty.master());
            }
        });
    };
    const std::string self = std::to_string(getpid());
    const struct {
        const char* what;
        std::function<void()> arrange;
        unsigned port;
        OpenFailureKind kind;
        std::string says;
    } cases[] = {
        {"a link to nothing", [&] { map.Link(3, "/dev/orvane-unplugged"); }, 3,
         OpenFailureKind::NothingThere, "leads to /dev/orvane-unplugged, which is not there"},
        {"not a terminal", [&] { map.Link(3, "/dev/null"); }, 3, OpenFailureKind::NotSerial,
         "COM3 leads to /dev/null, which is not a serial device"},
        {"no link and no ttyS", [] {}, 200, OpenFailureKind::NoMapping,
         "COM200 is not mapped: there is no link " + map.root() +
             "/orvane/ports/COM200 and no /dev/ttyS199"},
        {"a dead dome's link",
         [&] {
             map.Link(3, pty.slavePath());
             RecordDomeOwner(3, DeadPid(), pty.slavePath());
         },
         3, OpenFailureKind::StaleDomeLink,
         "that is no longer running; it leads to " + pty.slavePath()},
        {"bound again, the dome's record goes", [&] { ASSERT_TRUE(BindPort(3, pty.slavePath())); },
         3, OpenFailureKind::None, ""},
        {"a dead dome's record of a link the user re-pointed",
         [&] {
             RecordDomeOwner(3, DeadPid(), "/dev/pts/gone");
             map.Link(3, pty.slavePath());
         },
         3, OpenFailureKind::None, ""},
        {"unbound, then linked by hand: no record is left to count",
         [&] {
             RecordDomeOwner(3, DeadPid(), pty.slavePath());
             UnbindPort(3);
             map.Link(3, pty.slavePath());
         },
         3, OpenFailureKind::None, ""},
        {"a live process that is no dome in the record",
         [&] { RecordDomeOwner(3, getpid(), pty.slavePath()); }, 3, OpenFailureKind::StaleDomeLink,
         "that is gone: process " + self + " is now \"serial_tests\""},
        {"a pty master", [&] { ASSERT_TRUE(BindPort(3, "/dev/ptmx")); }, 3,
         OpenFailureKind::NotSerial,
         "COM3 leads to /dev/ptmx, which is not a serial device. Bind COM3 to the adapter"},
        {"a lock file of a live process",
         [&] {
             ASSERT_TRUE(BindPort(3, pty.slavePath()));
             WriteLock(pty, 1);
         },
         3, OpenFailureKind::Busy, "is in use by another program: "},
        {"a lock file of a process that is gone", [&] { WriteLock(pty, DeadPid()); }, 3,
         OpenFailureKind::None, ""},
        {"a program holding it open without a lock", [&] { hold(false); }, 3, OpenFailureKind::Busy,
         "(pid "},
        {"the far end holding its master too", [&] { hold(true); }, 3, OpenFailureKind::None, ""},
    };
    for (const auto& c : cases) {
        holder.reset();
        c.arrange();
        CSerialPort port;
        const int opened = port.OpenComm(&Ignore, c.port, 9600, 'N', 8, 1);
        EXPECT_EQ(opened, c.kind == OpenFailureKind::None ? 1 : 0) << c.what;
        EXPECT_EQ(port.LastOpenFailure().kind, c.kind) << c.what;
        const std::string text = port.LastOpenResult().text;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.what << ": " << text;
        EXPECT_EQ(text.empty(), c.says.empty()) << c.what;
        if (c.kind == OpenFailureKind::Busy) {
            const long by = holder ? holder->pid() : 1;
            EXPECT_NE(text.find("(pid " + std::to_string(by) + ")"), std::string::npos) << text;
        }
    }
}

// Root opens every device node, so the group cases are scripted.
class ScriptedHost : public HostFacts {
public:
    bool known = true, listed = false, session = false;
    DeviceAccess access{20, "dialout", 0660, "ttyUSB0"};
    bool DeviceGroup(const std::string&, DeviceAccess& found) const override {
        found = access;
        return known;
    }
    std::string UserName() const override { return "ann"; }
    bool UserListedInGroup(const std::string&, unsigned gid) const override {
        return listed && gid == 20;
    }
    bool SessionHasGroup(unsigned gid) const override { return session && gid == 20; }
    std::vector<std::string> Holders(const std::string&) const override { return {}; }
};

TEST(OpenFailure, PermissionDeniedSaysWhatTheUserCanDo) {
    const std::string udev = "so joining a group does not help. A udev rule";
    const HostFacts::DeviceAccess dialout{20, "dialout", 0660, "ttyUSB0"};
    const struct {
        HostFacts::DeviceAccess access;
        bool listed, session;
        std::string says;
    } cases[] = {
        {dialout, false, false,
         "group \"dialout\", and user \"ann\" is not in it. Add them with\n    sudo usermod -aG "
         "dialout ann\nthen log out and log in again."},
        {dialout, true, false, "is in its group \"dialout\", but this session started before that"},
        {dialout, true, true, "which may read and write it, yet it was refused"},
        {{0, "root", 0600, "ttyUSB0"},
         false,
         false,
         "not open to its group \"root\" (mode 0600), " + udev},
        {{5, "tty", 0620, "ttyUSB0"}, false, false, "(mode 0620), " + udev},
        {{0, "root", 0660, "ttyUSB0"},
         false,
         false,
         udev + " can give it to the group dialout, for example this line in "
                "/etc/udev/rules.d/60-orvane.rules:\n    SUBSYSTEM==\"tty\", KERNEL==\"ttyUSB0\", "
                "GROUP=\"dialout\", MODE=\"0660\"\n"},
    };
    OpenFailure failure;
    failure.kind = OpenFailureKind::PermissionDenied;
    failure.portNumber = 2;
    failure.path = "/home/ann/.config/orvane/ports/COM2";
    failure.target = "/dev/ttyUSB0";
    for (const auto& c : cases) {
        ScriptedHost host;
        host.access = c.access;
        host.listed = c.listed;
        host.session = c.session;
        const std::string text = DescribeOpenFailure(failure, host);
        EXPECT_EQ(text.rfind("Permission denied on /dev/ttyUSB0.", 0), 0u) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
}

}  // namespace
