#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/PortMap.h"
#include "platform/PortName.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/WaitUntil.h"

extern char** environ;

namespace {

// The real orvane-vdome, standard output and error on one pipe; killed if a
// test ends before it did.
class Vdome {
public:
    explicit Vdome(std::vector<std::string> args) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, out[1], 2);
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
        close(out[1]);
        m_out = out[0];
        fcntl(m_out, F_SETFL, O_NONBLOCK);
    }
    ~Vdome() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
    }

    bool started() const { return m_pid > 0; }
    void Signal(int sig) { kill(m_pid, sig); }

    // The exit code, or -1 when it did not end before the deadline.
    int Wait() {
        int status = 0;
        if (!WaitUntil([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; })) {
            return -1;
        }
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The next line of output, or empty at the deadline or end of output.
    std::string ReadLine() {
        size_t end = std::string::npos;
        WaitUntil([&] {
            char chunk[512];
            const ssize_t n = read(m_out, chunk, sizeof chunk);
            m_buf.append(chunk, static_cast<size_t>(std::max<ssize_t>(n, 0)));
            return (end = m_buf.find('\n')) != std::string::npos || n == 0;
        });
        const std::string line = end == std::string::npos ? "" : m_buf.substr(0, end);
        m_buf.erase(0, end == std::string::npos ? 0 : end + 1);
        return line;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buf;
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
    {
        Vdome refused({"--port", "6"});
        ASSERT_TRUE(refused.started());
        EXPECT_EQ(refused.Wait(), 1);
        const std::string error = refused.ReadLine();
        EXPECT_NE(error.find("already exists"), std::string::npos) << error;
        EXPECT_NE(error.find("--force"), std::string::npos) << error;
        EXPECT_EQ(LinkTarget(link), "/dev/null");
    }
    Vdome vdome({"--port", "6", "--force"});
    ASSERT_TRUE(vdome.started());
    ASSERT_TRUE(WaitUntil([&] { return LinkTarget(link).rfind("/dev/pts/", 0) == 0; }))
        << vdome.ReadLine();

    EXPECT_NE(vdome.ReadLine().find("COM6 is /dev/pts/"), std::string::npos);
    vdome.Signal(SIGTERM);
    EXPECT_EQ(vdome.Wait(), 0);
    EXPECT_EQ(LinkTarget(link), "/dev/null");
    EXPECT_EQ(ReadPortBinding(6).domePid, 0) << "the restored link is not the dome's";
}

}  // namespace
