#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/PortName.h"
#include "tests/support/ScopedPortMap.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(10);

// The real orvane-vdome with its output on pipes. Killed if a test ends
// before it did.
class Vdome {
  public:
    explicit Vdome(const std::vector<std::string>& args) {
        int out[2];
        int err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<std::string> all = {ORVANE_VDOME_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }

    ~Vdome() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
        close(m_err);
    }

    bool started() const { return m_pid > 0; }
    void Signal(int sig) { kill(m_pid, sig); }

    // The exit status, or -1 when it did not end before the deadline.
    int Wait() {
        const auto until = Clock::now() + kDeadline;
        while (Clock::now() < until) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    // The next line of standard output, or empty at the deadline.
    std::string ReadLine() {
        const auto until = Clock::now() + kDeadline;
        for (;;) {
            const size_t end = m_outBuf.find('\n');
            if (end != std::string::npos) {
                std::string line = m_outBuf.substr(0, end);
                m_outBuf.erase(0, end + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            if (left.count() <= 0 || !ReadSome(m_out, m_outBuf, static_cast<int>(left.count()))) {
                return {};
            }
        }
    }

    // Everything written to standard error; call after the process ended.
    std::string Errors() {
        std::string text;
        while (ReadSome(m_err, text, 0)) {
        }
        return text;
    }

  private:
    static bool ReadSome(int fd, std::string& into, int timeoutMs) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0) {
            return false;
        }
        char buf[512];
        const ssize_t n = read(fd, buf, sizeof(buf));
        if (n <= 0) {
            return false;
        }
        into.append(buf, static_cast<size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_outBuf;
};

std::string LinkTarget(const std::string& path) {
    char buf[512];
    const ssize_t n = readlink(path.c_str(), buf, sizeof(buf) - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

bool LinkExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Waits until the link points at a pseudo-terminal.
bool WaitForPtyLink(const std::string& path) {
    const auto until = Clock::now() + kDeadline;
    while (Clock::now() < until) {
        if (LinkTarget(path).rfind("/dev/pts/", 0) == 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

TEST(VdomeProcess, DecodesFramesSentThroughTheMappedPort) {
    ScopedPortMap map;
    const std::string link = PortMapPath(5);
    Vdome vdome({"--json", "--port", "5"});
    ASSERT_TRUE(vdome.started());
    ASSERT_TRUE(WaitForPtyLink(link)) << vdome.Errors();

    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    cfmakeraw(&tio);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &tio), 0);
    EXPECT_TRUE(WriteAll(fd, {0xFF, 0x01, 0x00, 0x08, 0x20, 0x20, 0x49}));
    EXPECT_TRUE(WriteAll(fd, {0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01}));
    close(fd);

    const std::string up = vdome.ReadLine();
    const std::string stop = vdome.ReadLine();
    EXPECT_NE(up.find(R"("bytes":"ff 01 00 08 20 20 49","check":"ok")"), std::string::npos) << up;
    EXPECT_NE(up.find(R"("command":"tilt up")"), std::string::npos) << up;
    EXPECT_NE(stop.find(R"("command":"stop")"), std::string::npos) << stop;

    vdome.Signal(SIGTERM);
    EXPECT_EQ(vdome.Wait(), 0);
    EXPECT_FALSE(LinkExists(link));
}

TEST(VdomeProcess, LeavesAForeignLinkAloneUnlessForced) {
    ScopedPortMap map;
    const std::string link = PortMapPath(6);
    ASSERT_TRUE(map.Link(6, "/dev/null"));
    {
        Vdome refused({"--port", "6"});
        ASSERT_TRUE(refused.started());
        EXPECT_EQ(refused.Wait(), 1);
        const std::string errors = refused.Errors();
        EXPECT_NE(errors.find("already exists"), std::string::npos) << errors;
        EXPECT_NE(errors.find("--force"), std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "one line: " << errors;
        EXPECT_EQ(LinkTarget(link), "/dev/null");
    }
    Vdome forced({"--port", "6", "--force"});
    ASSERT_TRUE(forced.started());
    ASSERT_TRUE(WaitForPtyLink(link)) << forced.Errors();
    forced.Signal(SIGINT);
    EXPECT_EQ(forced.Wait(), 0);
    EXPECT_FALSE(LinkExists(link));
}

TEST(VdomeProcess, CommandLine) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* stdoutHas;
        const char* stderrHas;
    } rows[] = {
        {"help", {"--help"}, 0, "Usage: orvane-vdome", ""},
        {"port 0 does not exist", {"--port", "0"}, 2, "", "--port wants a number"},
        {"unknown argument", {"--bogus"}, 2, "", "unknown argument \"--bogus\""},
    };
    ScopedPortMap map;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Vdome vdome(r.args);
        ASSERT_TRUE(vdome.started());
        const std::string first = vdome.ReadLine();
        EXPECT_EQ(vdome.Wait(), r.exitCode);
        EXPECT_NE(first.find(r.stdoutHas), std::string::npos) << first;
        const std::string errors = vdome.Errors();
        EXPECT_NE(errors.find(r.stderrHas), std::string::npos) << errors;
    }
}

}  // namespace
