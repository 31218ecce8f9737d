#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/PortMap.h"
#include "platform/PortName.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/WaitUntil.h"

extern char** environ;

namespace {

// The real orvane-vdome, its output dropped; killed if a test ends before it
// did.
class Vdome {
public:
    explicit Vdome(std::vector<std::string> args) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        args.insert(args.begin(), ORVANE_VDOME_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Vdome() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    void Signal(int sig) { kill(m_pid, sig); }
    // The exit code, or -1 when it did not end before the deadline.
    int Wait() {
        int status = 0;
        if (m_pid <= 0 || !WaitUntil([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; })) {
            return -1;
        }
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
};

std::string LinkTarget(const std::string& path) {
    char buf[512];
    const ssize_t n = readlink(path.c_str(), buf, sizeof(buf) - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

// A foreign link is refused without --force and replaced with it; the
// foreign link is back after SIGTERM. (The dialog's end-to-end test reads the
// program's frames.)
TEST(VdomeProcess, TakesAForeignLinkOnlyWithForceAndGivesItBack) {
    ScopedPortMap map;
    const std::string link = PortMapPath(6);
    ASSERT_TRUE(map.Link(6, "/dev/null"));
    EXPECT_EQ(Vdome({"--port", "6"}).Wait(), 1);
    EXPECT_EQ(LinkTarget(link), "/dev/null");
    Vdome vdome({"--port", "6", "--force"});
    ASSERT_TRUE(WaitUntil([&] {
        return ReadPortBinding(6).domeRunning && LinkTarget(link).rfind("/dev/pts/", 0) == 0;
    }));
    vdome.Signal(SIGTERM);
    EXPECT_EQ(vdome.Wait(), 0);
    EXPECT_EQ(LinkTarget(link), "/dev/null");
    EXPECT_EQ(ReadPortBinding(6).domePid, 0) << "the restored link is not the dome's";
}

}  // namespace
