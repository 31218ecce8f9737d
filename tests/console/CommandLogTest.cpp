#include "console/CommandLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Semaphore.h"
#include "platform/TickCount.h"
#include "tests/console/FakeDriver.h"

namespace {

std::atomic<uint32_t> g_now{0};
uint32_t FakeNow() {
    return g_now.load();
}

class RecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTickSource(&FakeNow);
        g_pLastCmdTick = &m_lastTick;
        g_LastCmd.Store(CommandRecord{});
    }
    void TearDown() override {
        SetTickSource(nullptr);
        g_pLastCmdTick = nullptr;
    }
    uint32_t m_lastTick = 0;
    FakeDriver m_driver;
};

TEST_F(RecordTest, IntervalIsTheTimeSinceThePreviousCommand) {
    struct Case {
        const char* what;
        uint32_t last;
        uint32_t now;
        uint32_t interval;
    };
    const Case cases[] = {
        {"no previous command gives 0", 0, 5000, 0},
        {"time since the previous command", 1000, 1750, 750},
        {"a wrap of the counter still gives the right interval", 0xFFFFFF00u, 0x100, 0x200},
        {"2^31 ms or more is kept unchanged", 1, 0x80000001u, 0x80000000u},
    };
    m_driver.SetFrame({0xff, 0x01, 0, 0, 0, 0, 0x01});
    for (const Case& c : cases) {
        m_lastTick = c.last;
        g_now = c.now;
        RecordLastCommand(&m_driver);
        EXPECT_EQ(g_LastCmd.Load().dwInterval, c.interval) << c.what;
        EXPECT_EQ(m_lastTick, c.now) << c.what << ": the new stamp";
    }
}

TEST_F(RecordTest, FrameIsCopiedWhenItFitsTheRecord) {
    struct Case {
        const char* what;
        std::vector<uint8_t> frame;
        uint32_t size;
        std::vector<uint8_t> data;  // the first bytes of byData afterwards
    };
    const Case cases[] = {
        {"seven-byte frame", {1, 2, 3, 4, 5, 6, 7}, 7, {1, 2, 3, 4, 5, 6, 7}},
        {"eight-byte frame", {8, 7, 6, 5, 4, 3, 2, 1}, 8, {8, 7, 6, 5, 4, 3, 2, 1}},
        {"a longer frame keeps the previous bytes",
         {9, 9, 9, 9, 9, 9, 9, 9, 9},
         8,
         {8, 7, 6, 5, 4, 3, 2, 1}},
        {"no frame yet", {}, 0, {}},
    };
    for (const Case& c : cases) {
        m_driver.SetFrame(c.frame);
        RecordLastCommand(&m_driver);
        const CommandRecord record = g_LastCmd.Load();
        EXPECT_EQ(record.dwSize, c.size) << c.what;
        EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), record.byData)) << c.what;
    }
}

TEST_F(RecordTest, NoDriverRecordsNothing) {
    m_lastTick = 1234;
    RecordLastCommand(nullptr);
    EXPECT_EQ(m_lastTick, 1234u);
    EXPECT_EQ(g_LastCmd.Load().dwSize, 0u);
}

TEST(LastCommandSlot, AReaderNeverSeesHalfAnOldAndHalfANewRecord) {
    LastCommandSlot slot;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) {
            CommandRecord r;
            std::memset(&r, i & 0xFF, sizeof r);
            slot.Store(r);
        }
        done = true;
    });
    int mixed = 0;
    while (!done) {
        const CommandRecord r = slot.Load();
        const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
        for (size_t i = 1; i < sizeof r; ++i) {
            mixed += bytes[i] != bytes[0];
        }
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
}

// Runs the log loop on its own thread and collects what it appends.
class LogRunner {
  public:
    explicit LogRunner(Semaphore& sem)
        : m_thread([this, &sem] {
              LogThreadProc(m_run, sem, [this](const CommandRecord& r) {
                  std::lock_guard<std::mutex> lock(m_mutex);
                  m_rows.push_back(r);
              });
          }) {}
    ~LogRunner() { Stop(); }
    bool WaitForRows(size_t n) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Rows().size() >= n) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    std::vector<CommandRecord> Rows() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_rows;
    }
    void Stop() {
        m_run = 0;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

  private:
    std::atomic<int> m_run{1};
    std::mutex m_mutex;
    std::vector<CommandRecord> m_rows;
    std::thread m_thread;
};

CommandRecord Tagged(uint32_t tag) {
    CommandRecord r{};
    r.dwInterval = tag;
    r.dwSize = 7;
    return r;
}

TEST(LogThreadProc, ListsTheRecordCompletedBeforeTheWakeUp) {
    Semaphore sem(0, 1);
    g_LastCmd.Store(Tagged(11));
    ASSERT_TRUE(sem.Release());
    LogRunner log(sem);
    ASSERT_TRUE(log.WaitForRows(1));
    log.Stop();
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_EQ(log.Rows()[0].dwInterval, 11u);
}

TEST(LogThreadProc, ACommandRecordedWhileAWakeUpIsPendingReplacesThePendingOne) {
    Semaphore sem(0, 1);
    g_LastCmd.Store(Tagged(1));
    ASSERT_TRUE(sem.Release());
    g_LastCmd.Store(Tagged(2));
    EXPECT_FALSE(sem.Release()) << "one pending wake-up at most";
    LogRunner log(sem);
    ASSERT_TRUE(log.WaitForRows(1));
    log.Stop();
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_EQ(log.Rows()[0].dwInterval, 2u);
}

TEST(LogThreadProc, EndsWhenItsFlagIsClearedWhileIdle) {
    Semaphore sem(0, 1);
    LogRunner log(sem);
    log.Stop();  // returns: the join would hang otherwise
    EXPECT_TRUE(log.Rows().empty());
}

}  // namespace
