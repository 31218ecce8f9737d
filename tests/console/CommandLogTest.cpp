#include "console/CommandLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/Semaphore.h"
#include "platform/TickCount.h"
#include "tests/support/NullDriver.h"
#include "tests/support/WaitUntil.h"

namespace {

std::atomic<uint32_t> g_now{0};
uint32_t FakeNow() {
    return g_now.load();
}

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTickSource(&FakeNow);
        SetLastTickSlot(&m_lastTick);
    }
    void TearDown() override { SetTickSource(nullptr); }
    ScopedSharedStateReset m_reset;  // the slot and the last record, cleared both ways
    uint32_t m_lastTick = 0;
    NullDriver m_driver;
};

TEST_F(RecordTest, IntervalSinceThePreviousCommandAndTheFrameThatFits) {
    const struct {
        const char* what;
        uint32_t last, now, interval;
        std::vector<uint8_t> frame;
        uint32_t size;
        std::vector<uint8_t> data;  // the first bytes of byData afterwards
    } cases[] = {
        // clang-format off
        {"no previous command gives 0", 0, 5000, 0, {1, 2, 3, 4, 5, 6, 7}, 7, {1, 2, 3, 4, 5, 6, 7}},
        {"time since the previous command", 1000, 1750, 750, {8, 7, 6, 5, 4, 3, 2, 1}, 8, {8, 7, 6, 5, 4, 3, 2, 1}},
        {"counter wrap; a longer frame keeps the previous bytes", 0xFFFFFF00u, 0x100, 0x200, std::vector<uint8_t>(9, 9), 8, {8, 7, 6, 5, 4, 3, 2, 1}},
        {"2^31 ms or more is kept; no frame yet", 1, 0x80000001u, 0x80000000u, {}, 0, {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        m_lastTick = c.last;
        g_now = c.now;
        m_driver.SetFrame(c.frame);
        RecordLastCommand(&m_driver);
        const CommandRecord record = g_LastCmd.Load();
        EXPECT_EQ(record.dwInterval, c.interval) << c.what;
        EXPECT_EQ(m_lastTick, c.now) << c.what << ": the new stamp";
        EXPECT_EQ(record.dwSize, c.size) << c.what;
        EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), record.byData)) << c.what;
    }
}

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
