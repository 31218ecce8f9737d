#include "console/CommandLog.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/Semaphore.h"
#include "tests/support/WaitUntil.h"

namespace {

// One record slot and one pending wake-up: a command recorded while a wake-up
// is pending replaces the pending one, and the log lists it once.
TEST(LogThreadProc, ListsOnlyTheLatestOfTwoCommandsForOneWakeUp) {
    Semaphore sem(0, 1);
    CommandRecord first{}, second{};
    first.dwInterval = 1;
    second.dwInterval = 2;
    g_LastCmd.Store(first);
    ASSERT_TRUE(sem.Release());
    g_LastCmd.Store(second);
    EXPECT_FALSE(sem.Release());

    std::atomic<int> run{1};
    std::mutex mutex;
    std::vector<uint32_t> rows;
    std::thread log([&] {
        LogThreadProc(run, sem, [&](const CommandRecord& r) {
            std::lock_guard<std::mutex> lock(mutex);
            rows.push_back(r.dwInterval);
        });
    });
    WaitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return !rows.empty();
    });
    run = 0;
    log.join();
    EXPECT_EQ(rows, std::vector<uint32_t>{2});
}

}  // namespace
