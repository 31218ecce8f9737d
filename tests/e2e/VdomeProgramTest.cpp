// The dialog against the real orvane-vdome program: the dome process owns the
// line, the dialog reaches it as COM1 through the port map.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "console/ControlIds.h"
#include "platform/PortName.h"
#include "tests/support/DialogHarness.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

std::string LinkTarget(const std::string& path) {
    char buf[512];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

template <typename Pred>
bool WaitUntil(Pred pred) {
    for (auto until = std::chrono::steady_clock::now() + 10s; !pred();) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The next line on `fd`; empty after ten quiet seconds or at the end.
std::string ReadLine(int fd, std::string& buffer) {
    size_t end;
    while ((end = buffer.find('\n')) == std::string::npos) {
        pollfd pfd{fd, POLLIN, 0};
        char buf[1024];
        const ssize_t n = poll(&pfd, 1, 10000) > 0 ? read(fd, buf, sizeof buf) : 0;
        if (n <= 0) {
            return {};
        }
        buffer.append(buf, static_cast<size_t>(n));
    }
    std::string line = buffer.substr(0, end);
    buffer.erase(0, end + 1);
    return line;
}

// The value of a "key": member of a flat JSON line: a string's text, a
// number, or a flat object whole.
std::string Json(const std::string& line, const std::string& key) {
    const size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = at + key.size() + 3;
    if (line[start] == '"') {
        return line.substr(start + 1, line.find('"', start + 1) - start - 1);
    }
    const size_t end =
        line[start] == '{' ? line.find('}', start) + 1 : line.find_first_of(",}", start);
    return line.substr(start, end - start);
}

TEST(VdomeProgram, TheDomeProgramDecodesWhatTheListShows) {
    enum class Act { Press, Release, Click };
    const struct {
        Act act;
        int id;
        const char* command;
        const char* args;
    } steps[] = {
        {Act::Press, IDC_BTN_LD, "pan left, tilt down", "{\"pan_speed\":21,\"tilt_speed\":21}"},
        {Act::Release, IDC_BTN_LD, "stop", "{}"},
        {Act::Click, IDC_BTN_SETAUX, "set aux", "{\"aux\":1}"},
        {Act::Click, IDC_BTN_SEND, "go to preset", "{\"preset\":34}"},
    };
    const struct {
        const char* key;
        int model;
    } protocols[] = {{"pelco-d", 0}, {"pelco-p", 1}};

    DialogHarness h;
    const std::string link = PortMapPath(1);
    h.ports().Unlink(1);
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    char path[] = ORVANE_VDOME_PATH, json[] = "--json", portFlag[] = "--port", one[] = "1";
    char* argv[] = {path, json, portFlag, one, nullptr};
    pid_t pid = -1;
    // Killed if the test ends before it stopped the dome.
    struct Reaper {
        pid_t& pid;
        ~Reaper() {
            if (pid > 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
    } reaper{pid};
    const int spawned = posix_spawn(&pid, path, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    ASSERT_EQ(spawned, 0);
    std::string buffer;
    EXPECT_TRUE(WaitUntil([&] { return LinkTarget(link).rfind("/dev/pts/", 0) == 0; }));

    h.Select(IDC_COMBO_PTZADDRESS, 6);
    for (const auto& p : protocols) {
        SCOPED_TRACE(p.key);
        h.Select(IDC_COMBO_PTZMODEL, p.model);
        ASSERT_TRUE(h.OpenPort());
        h.Type(IDC_EDIT_CTRLRATE, "21");  // both only editable with the port open
        h.Type(IDC_EDIT_HEXCOMMAND, "00 07 00 22");
        int row = 0;
        for (const auto& step : steps) {
            SCOPED_TRACE(step.command);
            if (step.act == Act::Press) {
                h.Press(step.id);
            } else if (step.act == Act::Release) {
                h.Release(step.id);
            } else {
                h.Click(step.id);
            }
            ASSERT_TRUE(h.WaitForRows(row + 1));
            const std::string line = ReadLine(out[0], buffer);
            ASSERT_FALSE(line.empty()) << "the dome printed nothing";
            EXPECT_EQ(Json(line, "event"), "frame") << line;
            EXPECT_EQ(Json(line, "protocol"), p.key) << line;
            EXPECT_EQ(Json(line, "bytes"), h.Row(row++).message) << line;
            EXPECT_EQ(Json(line, "check"), "ok") << line;
            EXPECT_EQ(Json(line, "address"), "6") << line;
            EXPECT_EQ(Json(line, "command"), step.command) << line;
            EXPECT_EQ(Json(line, "args"), step.args) << line;
        }
        ASSERT_FALSE(h.OpenPort()) << "closed again";
    }
    int status = -1;
    kill(pid, SIGTERM);
    ASSERT_TRUE(WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
    pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_TRUE(LinkTarget(link).empty()) << "the dome removed its link";
    close(out[0]);
}

}  // namespace
