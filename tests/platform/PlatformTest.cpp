#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/DeviceNode.h"
#include "platform/PortBindings.h"
#include "platform/PortMap.h"
#include "platform/TickCount.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/WaitUntil.h"

// The ticks are read inside a steady-clock window around a sleep, so neither
// bound depends on how long the sleep really took.
TEST(TickCount, CountsMilliseconds) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const uint32_t first = GetTickCount();
    std::this_thread::sleep_for(milliseconds(50));
    const uint32_t elapsed = GetTickCount() - first;
    const auto window = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_GE(elapsed, 49u);
    EXPECT_LE(elapsed, window + 2);
}

namespace {

// A child process named `name` that waits to be killed; with `exitAtOnce` it
// ends at once and is left unreaped (a zombie) until the object goes.
class NamedChild {
public:
    NamedChild(const char* name, bool exitAtOnce) {
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_NAME, name);
            if (!exitAtOnce) {
                pause();
            }
            _exit(0);
        }
        m_ready = WaitUntil([&] {
            const ProcessIdentity id = ReadProcess(m_pid);
            return exitAtOnce ? !id.running : id.name == name;
        });
    }
    ~NamedChild() {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    long pid() const { return m_pid; }
    bool ready() const { return m_ready; }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
};

void WriteRecord(unsigned port, const std::string& text) {
    std::ofstream(PortOwnerPath(port), std::ios::trunc) << text;
}

TEST(PortBindings, TrustsADomeLinkOnlyWhenItsRecordProvesTheDome) {
    ScopedPortMap map;
    ASSERT_TRUE(map.Link(4, "/dev/null"));
    NamedChild dome("orvane-vdome", false), other("sleep", false), zombie("orvane-vdome", true);
    ASSERT_TRUE(dome.ready() && other.ready() && zombie.ready());
    const std::string start = std::to_string(ReadProcess(dome.pid()).startTime);
    const std::string domePid = std::to_string(dome.pid());
    const struct {
        const char* what;
        std::function<void()> record;
        StaleReason reason;
    } cases[] = {
        {"the running dome", [&] { RecordDomeOwner(4, dome.pid(), "/dev/null"); },
         StaleReason::None},
        {"a live pid of another program", [&] { RecordDomeOwner(4, other.pid(), "/dev/null"); },
         StaleReason::NotADome},
        {"its pid, reused by a later dome",
         [&] {
             WriteRecord(4, "pid " + domePid + "\nstart " + start +
                                "1\nname orvane-vdome\ntarget "
                                "/dev/null\n");
         },
         StaleReason::PidReused},
        {"an older record of pid and target alone",
         [&] { WriteRecord(4, domePid + " /dev/null\n"); }, StaleReason::Unproven},
        {"a dome that exited, not yet reaped",
         [&] { RecordDomeOwner(4, zombie.pid(), "/dev/null"); }, StaleReason::Gone},
    };
    for (const auto& c : cases) {
        c.record();
        const PortBinding binding = ReadPortBinding(4);
        EXPECT_EQ(binding.staleReason, c.reason) << c.what;
        EXPECT_EQ(binding.domeRunning, c.reason == StaleReason::None) << c.what;
    }
}

TEST(PortMap, IgnoresARelativeConfigHome) {
    ScopedPortMap map;
    const char* home = getenv("HOME");
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    EXPECT_EQ(PortMapDir(), home != nullptr ? std::string(home) + "/.config/orvane/ports" : "");
}

}  // namespace
