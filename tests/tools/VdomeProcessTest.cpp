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
    // Ends the dome with `stop` once its record names it, which is once its
    // signals are taken over; with 0 it must end on its own.
    auto run = [](const char* force, int stop) {
        const char* argv[] = {ORVANE_VDOME_PATH, "--port", "6", force, nullptr};
        pid_t pid = 0;
        int status = -1;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            return status;
        }
        if (stop != 0 && WaitUntil([&] { return ReadPortBinding(6).domePid == pid; })) {
            kill(pid, stop);
        }
        if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        return status;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        ScopedPortMap map;
        ASSERT_TRUE(map.Link(6, "/dev/null"));
        ASSERT_TRUE(!c.deadDomes || RecordDomeOwner(6, INT32_MAX, "/dev/null").ok());
        if (c.killedFirst) {
            EXPECT_TRUE(WIFSIGNALED(run("--force", SIGKILL)));
            ASSERT_NE(ReadPortBinding(6).target, "/dev/null");
        }
        const int status = run(c.force, c.stop);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (c.stop ? 0 : 1)) << status;
        EXPECT_EQ(ReadPortBinding(6).target, c.deadDomes ? "" : "/dev/null");
        EXPECT_FALSE(std::filesystem::exists(PortOwnerPath(6)));
    }
}

}  // namespace
