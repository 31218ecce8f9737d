#include "serial/OpenFailure.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "platform/PortBindings.h"
#include "serial/SerialPort.h"
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

TEST(OpenFailure, EachConditionGivesItsReason) {
    ScopedPortMap map;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
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
         "/dev/null is not a serial device"},
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
    };
    for (const auto& c : cases) {
        c.arrange();
        CSerialPort port;
        const int opened = port.OpenComm(&Ignore, c.port, 9600, 'N', 8, 1);
        EXPECT_EQ(opened, c.kind == OpenFailureKind::None ? 1 : 0) << c.what;
        EXPECT_EQ(port.LastOpenFailure().kind, c.kind) << c.what;
        const std::string text = port.LastOpenResult().text;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.what << ": " << text;
        EXPECT_EQ(text.empty(), c.says.empty()) << c.what;
    }
}

// Root opens every device node, so the group cases are scripted.
class ScriptedHost : public HostFacts {
public:
    bool known = true, listed = false, session = false;
    bool DeviceGroup(const std::string&, unsigned& gid, std::string& name) const override {
        gid = 20;
        name = "dialout";
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
    const struct {
        bool known, listed, session;
        std::string says;
    } cases[] = {
        {true, false, false,
         "group \"dialout\", and user \"ann\" is not in it. Add them with\n    sudo usermod -aG "
         "dialout ann\nthen log out and log in again."},
        {true, true, false, "is in its group \"dialout\", but this session started before that"},
        {true, true, true, "the device's permissions do not let the group read and write it"},
    };
    OpenFailure failure;
    failure.kind = OpenFailureKind::PermissionDenied;
    failure.portNumber = 2;
    failure.path = "/home/ann/.config/orvane/ports/COM2";
    failure.target = "/dev/ttyUSB0";
    for (const auto& c : cases) {
        ScriptedHost host;
        host.known = c.known;
        host.listed = c.listed;
        host.session = c.session;
        const std::string text = DescribeOpenFailure(failure, host);
        EXPECT_EQ(text.rfind("Permission denied on /dev/ttyUSB0.", 0), 0u) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
}

}  // namespace
