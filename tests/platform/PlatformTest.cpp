#include "platform/PortName.h"

#include <sys/wait.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/PortMap.h"
#include "platform/TickCount.h"

#include "tests/support/ScopedPortMap.h"

namespace fs = std::filesystem;

class PortNameTest : public ::testing::Test {
protected:
    ScopedPortMap m_map;  // XDG_CONFIG_HOME in a fresh folder
    const std::string m_dir = m_map.root();
};

TEST_F(PortNameTest, ALinkWinsEvenIfDanglingElseTtyS) {
    fs::create_directories(m_dir + "/orvane/ports");
    const std::string link = m_dir + "/orvane/ports/COM3";
    ASSERT_EQ(symlink("/dev/does-not-exist", link.c_str()), 0);
    EXPECT_EQ(PortMapPath(3), link);
    const struct {
        unsigned port;
        std::string device;
    } cases[] = {{1, "/dev/ttyS0"}, {3, link}, {8, "/dev/ttyS7"}, {0, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveComPort(c.port), c.device) << "COM" << c.port;
    }
}

TEST_F(PortNameTest, BindingsReadBackWithTheDomesRecord) {
    std::string error;
    const pid_t dead = fork();
    if (dead == 0) {
        _exit(0);
    }
    waitpid(dead, nullptr, 0);
    const struct {
        const char* what;
        std::function<bool()> change;
        bool linked;
        const char* target;
        bool exists;
        long domePid;
        bool stale;
    } steps[] = {
        {"bound", [&] { return BindPort(2, "/dev/null", error); }, true, "/dev/null", true, 0,
         false},
        {"recorded by a dead dome", [&] { return RecordDomeOwner(2, dead, "/dev/null", error); },
         true, "/dev/null", true, dead, true},
        {"rebound over a dead dome's link",
         [&] {
             return RecordDomeOwner(2, dead, "/dev/null", error) &&
                    BindPort(2, "/dev/orvane-missing", error);
         },
         true, "/dev/orvane-missing", false, 0, false},
        {"unbound", [&] { return UnbindPort(2, error); }, false, "", false, 0, false},
    };
    for (const auto& s : steps) {
        ASSERT_TRUE(s.change()) << s.what << ": " << error;
        const PortBinding b = ReadPortBinding(2);
        EXPECT_EQ(b.link, m_dir + "/orvane/ports/COM2") << s.what;
        EXPECT_EQ(b.linked, s.linked) << s.what;
        EXPECT_EQ(b.target, s.target) << s.what;
        EXPECT_EQ(b.targetExists, s.exists) << s.what;
        EXPECT_EQ(b.domePid, s.domePid) << s.what;
        EXPECT_EQ(b.StaleDomeLink(), s.stale) << s.what;
    }
    EXPECT_FALSE(fs::exists(PortOwnerPath(2))) << "unbinding left the dome's record";
}

// The ticks are read inside a steady-clock window around a sleep, so neither
// bound depends on how long the sleep really took.
// Without a home there is no port map: nothing is made at the file-system root.
TEST_F(PortNameTest, NoHomeMeansNoPortMap) {
    const char* home = getenv("HOME");
    const std::string saved = home != nullptr ? home : "";
    unsetenv("HOME");
    unsetenv("XDG_CONFIG_HOME");
    std::string error;
    EXPECT_EQ(PortMapDir(), "");
    EXPECT_EQ(ResolveComPort(1), "/dev/ttyS0");
    EXPECT_FALSE(BindPort(1, "/dev/null", error));
    EXPECT_NE(error.find("neither HOME nor XDG_CONFIG_HOME"), std::string::npos) << error;
    if (home != nullptr) {
        setenv("HOME", saved.c_str(), 1);
    }
}

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
