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
#include <thread>
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
    pid_t pid() const { return m_pid; }
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
// foreign link is back after SIGTERM.
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

// A killed dome leaves its link recorded as its own; the next dome replaces it
// without --force, decodes what comes through it, and removes it when it ends.
TEST(VdomeProcess, ReplacesItsOwnStaleLinkAndDecodesThroughIt) {
    ScopedPortMap map;
    const std::string link = PortMapPath(5);
    const auto ownedBy = [](pid_t pid) {
        const PortBinding b = ReadPortBinding(5);
        return b.domePid == pid && b.domeRunning && b.target.rfind("/dev/pts/", 0) == 0;
    };
    {
        Vdome killed({"--port", "5"});
        ASSERT_TRUE(WaitUntil([&] { return ownedBy(killed.pid()); }));
        killed.Signal(SIGKILL);
        killed.Wait();
    }
    ASSERT_TRUE(ReadPortBinding(5).StaleDomeLink());
    Vdome next({"--port", "5", "--json"});
    ASSERT_TRUE(WaitUntil([&] { return ownedBy(next.pid()); }));
    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const unsigned char up[] = {0xFF, 0x01, 0x00, 0x08, 0x20, 0x20, 0x49};
    ASSERT_EQ(write(fd, up, sizeof up), static_cast<ssize_t>(sizeof up));
    std::string line;
    while ((line = next.ReadLine()).find("\"event\":\"frame\"") == std::string::npos &&
           !line.empty()) {
    }
    EXPECT_NE(line.find("\"bytes\":\"ff 01 00 08 20 20 49\",\"check\":\"ok\""), std::string::npos)
        << line;
    close(fd);
    next.Signal(SIGTERM);
    EXPECT_EQ(next.Wait(), 0);
    EXPECT_EQ(LinkTarget(link), "");
}

}  // namespace
