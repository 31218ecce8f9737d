#include "console/CommandLog.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/Semaphore.h"
#include "tests/support/WaitUntil.h"

namespace {

// Records handed over back to back, faster than the log thread wakes, with at
// most one wake-up pending: every one is listed, once, in order.
TEST(LogThreadProc, ListsEveryRecordInOrderHoweverFewTheWakeUps) {
    ScopedSharedStateReset reset;
    constexpr uint32_t kRecords = 4000;
    Semaphore sem(0, 1);
    std::atomic<int> run{1};
    std::mutex mutex;
    std::vector<uint32_t> rows;
    auto hand = [&sem](uint32_t i) {
        CommandRecord record{};
        record.dwInterval = i;
        ASSERT_TRUE(g_LastCmd.Queue(record));
        sem.Release();
    };
    // The first hundred wait behind one pending wake-up before the thread runs.
    for (uint32_t i = 0; i < 100; ++i) {
        hand(i);
    }
    ASSERT_EQ(sem.Count(), 1u);
    std::thread log([&] {
        LogThreadProc(run, sem, [&](const CommandRecord& r) {
            std::lock_guard<std::mutex> lock(mutex);
            rows.push_back(r.dwInterval);
        });
    });
    for (uint32_t i = 100; i < kRecords; ++i) {
        hand(i);
    }
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return rows.size() >= kRecords;
    }));
    run = 0;
    log.join();
    std::vector<uint32_t> expected(kRecords);
    for (uint32_t i = 0; i < kRecords; ++i) {
        expected[i] = i;
    }
    EXPECT_EQ(rows, expected);
}

}  // namespace
