// The dialog against the real orvane-vdome program: the dome process owns the
// line, the dialog reaches it as COM1 through the port map.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QPushButton>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "console/ControlIds.h"
#include "platform/PortName.h"
#include "tests/support/DialogHarness.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(10);

// orvane-vdome with its standard output on a pipe; killed if still running
// when the test ends.
class VdomeProcess {
public:
    explicit VdomeProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
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
    }
    ~VdomeProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
    }
    VdomeProcess(const VdomeProcess&) = delete;
    VdomeProcess& operator=(const VdomeProcess&) = delete;

    bool started() const { return m_pid > 0; }

    // The next line it printed; empty at the deadline.
    std::string ReadLine() {
        const auto until = Clock::now() + kDeadline;
        for (;;) {
            const size_t end = m_buffer.find('\n');
            if (end != std::string::npos) {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            pollfd pfd{m_out, POLLIN, 0};
            if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                return {};
            }
            char buf[1024];
            const ssize_t n = read(m_out, buf, sizeof buf);
            if (n <= 0) {
                return {};
            }
            m_buffer.append(buf, static_cast<size_t>(n));
        }
    }

    // Sends `sig` and returns the exit status; -1 when it did not end in time.
    int Stop(int sig) {
        kill(m_pid, sig);
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

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
};

std::string LinkTarget(const std::string& path) {
    char buf[512];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

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

// The text of a "key":"value" member of a flat JSON line; empty when absent.
std::string JsonText(const std::string& line, const std::string& key) {
    const std::string head = "\"" + key + "\":\"";
    const size_t at = line.find(head);
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = at + head.size();
    return line.substr(start, line.find('"', start) - start);
}

// The raw text of a "key":value member: a number, or a flat object whole.
std::string JsonValue(const std::string& line, const std::string& key) {
    const std::string head = "\"" + key + "\":";
    const size_t at = line.find(head);
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = at + head.size();
    if (line.compare(start, 1, "{") == 0) {
        return line.substr(start, line.find('}', start) + 1 - start);
    }
    return line.substr(start, line.find_first_of(",}", start) - start);
}

TEST(VdomeProgram, TheDomeProgramDecodesWhatTheListShows) {
    struct Protocol {
        const char* name;
        int model;
        const char* key;
    };
    const Protocol protocols[] = {{"Pelco-D", 0, "pelco-d"}, {"Pelco-P", 1, "pelco-p"}};
    enum class Act { Press, Release, Click, Send };
    struct Step {
        Act act;
        int id;
        const char* hex;
        const char* command;
        const char* args;
    };
    const Step steps[] = {
        {Act::Press, IDC_BTN_UP, "", "tilt up", "{\"tilt_speed\":21}"},
        {Act::Release, IDC_BTN_UP, "", "stop", "{}"},
        {Act::Press, IDC_BTN_LD, "", "pan left, tilt down", "{\"pan_speed\":21,\"tilt_speed\":21}"},
        {Act::Release, IDC_BTN_LD, "", "stop", "{}"},
        {Act::Click, IDC_BTN_CALL, "", "go to preset", "{\"preset\":1}"},
        {Act::Click, IDC_BTN_SETAUX, "", "set aux", "{\"aux\":1}"},
        {Act::Send, IDC_BTN_SEND, "00 07 00 22", "go to preset", "{\"preset\":34}"},
    };

    DialogHarness h;
    const std::string link = PortMapPath(1);
    h.ports().Unlink(1);
    VdomeProcess vdome({"--json", "--port", "1"});
    ASSERT_TRUE(vdome.started());
    ASSERT_TRUE(WaitForPtyLink(link));
    h.Select(IDC_COMBO_PTZADDRESS, 6);

    for (const Protocol& p : protocols) {
        SCOPED_TRACE(p.name);
        h.Select(IDC_COMBO_PTZMODEL, p.model);
        ASSERT_TRUE(h.OpenPort());
        h.Type(IDC_EDIT_CTRLRATE, "21");
        int row = 0;
        for (const Step& step : steps) {
            SCOPED_TRACE(step.command);
            switch (step.act) {
                case Act::Press:
                    h.Press(step.id);
                    break;
                case Act::Release:
                    h.Release(step.id);
                    break;
                case Act::Send:
                    h.Type(IDC_EDIT_HEXCOMMAND, step.hex);
                    [[fallthrough]];
                case Act::Click:
                    h.Click(step.id);
                    break;
            }
            ASSERT_TRUE(h.WaitForRows(row + 1));
            const std::string line = vdome.ReadLine();
            ASSERT_FALSE(line.empty()) << "the dome printed nothing";
            EXPECT_EQ(JsonText(line, "event"), "frame") << line;
            EXPECT_EQ(JsonText(line, "protocol"), p.key) << line;
            EXPECT_EQ(JsonText(line, "bytes"), h.Row(row).message) << line;
            EXPECT_EQ(JsonText(line, "check"), "ok") << line;
            EXPECT_EQ(JsonValue(line, "address"), "6") << line;
            EXPECT_EQ(JsonText(line, "command"), step.command) << line;
            EXPECT_EQ(JsonValue(line, "args"), step.args) << line;
            ++row;
        }
        ASSERT_FALSE(h.OpenPort()) << "closed again";
    }
    EXPECT_EQ(vdome.Stop(SIGTERM), 0);
    EXPECT_TRUE(LinkTarget(link).empty()) << "the dome removed its link";
}

}  // namespace
