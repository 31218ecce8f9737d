#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "platform/PortBindings.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/WaitUntil.h"

namespace {

// The user's own COM6 link: the real dome takes it only with --force, and
// however it is stopped, it comes back with no dome's record left. A dead
// dome's link is taken without asking and removed at exit.
TEST(VdomeProcess, TakesTheUsersLinkOnlyWithForceAndGivesItBack) {
    // A dome killed outright puts nothing back itself: the next dome on the
    // port does, from the record the killed one left.
    const struct {
        const char* force;
        int stop;  // the signal that ends it; 0: it must refuse on its own
        bool deadDomes;
        bool killedFirst;  // a --force dome killed with SIGKILL ran before
    } cases[] = {{nullptr, 0, false, false},
                 {"--force", SIGTERM, false, false},
                 {"--force", SIGINT, false, false},
                 {nullptr, SIGTERM, true, false},
                 {nullptr, 0, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        ScopedPortMap map;
        ASSERT_TRUE(map.Link(6, "/dev/null"));
        ASSERT_TRUE(!c.deadDomes || RecordDomeOwner(6, INT32_MAX, "/dev/null").ok());
        if (c.killedFirst) {
            const char* argv[] = {ORVANE_VDOME_PATH, "--port", "6", "--force", nullptr};
            pid_t pid = 0;
            ASSERT_EQ(
                posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);
            EXPECT_TRUE(WaitUntil([&] { return ReadPortBinding(6).domePid == pid; }));
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            ASSERT_NE(ReadPortBinding(6).target, "/dev/null");
        }
        const char* argv[] = {ORVANE_VDOME_PATH, "--port", "6", c.force, nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ),
                  0);
        // Its record names it once its signals are taken over.
        if (c.stop != 0 && WaitUntil([&] { return ReadPortBinding(6).domePid == pid; })) {
            kill(pid, c.stop);
        }
        int status = 0;
        if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (c.stop ? 0 : 1)) << status;
        EXPECT_EQ(ReadPortBinding(6).target, c.deadDomes ? "" : "/dev/null");
        EXPECT_FALSE(std::filesystem::exists(PortOwnerPath(6)));
    }
}

}  // namespace
