#include <gtest/gtest.h>

#include <future>

#include "commandlist/Replay.h"
#include "commandlist/ReplayRunner.h"
#include "stream/CxMemFile.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/WaitUntil.h"

namespace {

using namespace std::chrono_literals;
using TimePoint = ReplayClock::TimePoint;

// Time moves only when the replay waits for a deadline or a test says so.
struct StepClock : ReplayClock {
    TimePoint Now() override { return now; }
    void WaitUntil(TimePoint deadline, std::stop_token) override { now = std::max(now, deadline); }
    TimePoint now{};
};

const std::vector<CommandRecord> kRows = {
    {0, 7, {0xFF, 1, 0, 8, 0x20, 0x20, 0x49, 0xEE}}, {5, 8, {0xA0, 1}}, {70, 100, {3}}};

void ExpectRowsInOrder(const std::vector<std::vector<uint8_t>>& frames, const char* what) {
    for (size_t i = 0; i < frames.size(); ++i) {  // sizes 7, 8 and at most 8
        const uint8_t* data = kRows[i % 3].byData;
        EXPECT_EQ(frames[i], std::vector<uint8_t>(data, data + 7 + (i % 3 != 0))) << what;
    }
}

TEST(Replay, EachCommandIsDueOnOneScheduleFromTheStart) {
    struct {
        const char* what;
        uint32_t interval;
        size_t slowSend, slowMs;  // a send that takes this long
        std::vector<long> at;     // ms from the start, two passes
    } rows[] = {{"fixed interval", 800, 0, 3, {800, 1600, 2400, 3200, 4000, 4800}},
                {"recorded, 40 for none", 0, 1, 3, {40, 45, 115, 155, 160, 230}},
                {"sign bit: recorded", 0x80000000u, 9, 0, {40, 45, 115, 155, 160, 230}},
                {"a late send is caught up, never in a burst", 10, 0, 25, {10, 35, 40, 45, 50, 60}},
                {"a stall starts afresh", 10, 0, 10000, {10, 10010, 10020, 10030, 10040, 10050}}};
    for (auto& r : rows) {
        uint8_t buffer[64];
        CxMemFile stream(buffer, 64);
        ASSERT_TRUE(WriteReplayStream(stream, r.interval, kRows));
        StepClock clock;
        RecordingDriver driver;
        driver.stopAfter = 4;  // in the second pass, which still goes out whole
        std::vector<std::pair<int32_t, uint32_t>> progress;
        std::vector<long> at;
        // Progress comes just before the send: time spent here is the send's.
        RunReplay(&driver, stream, clock, driver.run, {}, [&](int32_t record, uint32_t pass) {
            progress.emplace_back(record, pass);
            at.push_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(clock.now.time_since_epoch())
                    .count());
            if (at.size() == r.slowSend + 1)
                clock.now += std::chrono::milliseconds(r.slowMs);
        });
        EXPECT_EQ(at, r.at) << r.what;
        EXPECT_EQ(progress.back(), std::make_pair(2, 2u)) << r.what;
        ExpectRowsInOrder(driver.frames, r.what);
    }
}

}  // namespace
