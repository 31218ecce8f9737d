#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/DeviceNode.h"
#include "platform/PortBindings.h"
#include "platform/PortMap.h"
#include "platform/TickCount.h"
#include "tests/support/ChildProcess.h"
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

void WriteRecord(unsigned port, const std::string& text) {
    std::ofstream(PortOwnerPath(port), std::ios::trunc) << text;
}

TEST(PortBindings, TrustsADomeLinkOnlyWhenItsRecordProvesTheDome) {
    ScopedPortMap map;
    ASSERT_TRUE(map.Link(4, "/dev/null"));
    const ChildProcess dome([] { prctl(PR_SET_NAME, "orvane-vdome"); });
    const ChildProcess other([] { prctl(PR_SET_NAME, "sleep"); });
    const ChildProcess zombie([] { prctl(PR_SET_NAME, "orvane-vdome"); }, true);
    // A zombie's end reaches the pipe before /proc shows its state.
    ASSERT_TRUE(WaitUntil([&] { return !ReadProcess(zombie.pid()).running; }));
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
