#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "commandlist/Replay.h"
#include "stream/CxMemFile.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/WaitUntil.h"

namespace {

std::vector<uint32_t> g_pauses;
std::atomic<int>* g_stopOnThirdPause = nullptr;
void Pause(uint32_t ms) {
    g_pauses.push_back(ms);
    if (g_stopOnThirdPause != nullptr && g_pauses.size() == 3)
        g_stopOnThirdPause->store(0);
}

const std::vector<CommandRecord> kRows = {
    {0, 7, {0xFF, 1, 0, 8, 0x20, 0x20, 0x49, 0xEE}}, {5, 8, {0xA0, 1}}, {70, 100, {3}}};

TEST(Replay, PausesOrderAndWholePasses) {
    struct {
        const char* what;
        uint32_t interval;
        size_t stopAfter, frames;
        std::vector<uint32_t> pauses;  // of the first pass
    } rows[] = {{"fixed interval", 800, 1, 3, {800, 800, 800}},
                {"recorded, 40 for none", 0, 3, 3, {40, 5, 70}},
                {"sign bit: recorded", 0x80000000u, 1, 3, {40, 5, 70}},
                {"flag read between passes", 1, 8, 9, {1, 1, 1}}};
    for (auto& r : rows) {
        uint8_t buffer[64];
        CxMemFile stream(buffer, 64);
        ASSERT_TRUE(WriteReplayStream(stream, r.interval, kRows));
        RecordingDriver driver;
        driver.stopAfter = r.stopAfter;
        g_pauses.clear();
        RunReplay(&driver, stream, driver.run, &Pause);
        ASSERT_EQ(driver.frames.size(), r.frames) << r.what;
        EXPECT_EQ(std::vector<uint32_t>(g_pauses.begin(), g_pauses.begin() + 3), r.pauses);
        for (size_t i = 0; i < r.frames; ++i) {  // sizes 7, 8 and at most 8
            const uint8_t* data = kRows[i % 3].byData;
            EXPECT_EQ(driver.frames[i], std::vector<uint8_t>(data, data + 7 + (i % 3 != 0)));
        }
    }
}

TEST(Replay, EmptyOrUnreadableStreamSendsNothingAndNeverSpins) {
    struct {
        const char* what;
        uint32_t size;  // of the stream
        uint32_t pause;
    } rows[] = {{"empty list", 8, 40}, {"no count word", 7, 4}};
    for (auto& r : rows) {
        uint8_t buffer[8] = {};
        CxMemFile stream(buffer, r.size);
        WriteReplayStream(stream, 800, {});
        RecordingDriver driver;
        g_pauses.clear();
        g_stopOnThirdPause = &driver.run;
        RunReplay(&driver, stream, driver.run, &Pause);
        g_stopOnThirdPause = nullptr;
        EXPECT_TRUE(driver.frames.empty()) << r.what;
        EXPECT_EQ(g_pauses, std::vector<uint32_t>(3, r.pause)) << r.what;
    }
}

TEST(Replay, StreamHoldsWhatFitsTheGivenBuffer) {
    for (uint32_t size : {2u << 20, 8u + 24u, 7u}) {  // 131,071 rows; 1 row; no header
        std::vector<uint8_t> buffer(size, 0xEE);
        CxMemFile stream(buffer.data(), size);
        const int32_t fit = size < 8 ? -1 : int32_t((size - 8) / 16);
        EXPECT_EQ(WriteReplayStream(stream, 0, std::vector<CommandRecord>(131072, kRows[1])),
                  fit >= 0);
        if (fit < 0) {
            EXPECT_EQ(buffer, std::vector<uint8_t>(size, 0xEE));
            continue;
        }
        EXPECT_EQ(std::memcmp(&buffer[4], &fit, 4), 0) << size;
        EXPECT_EQ(buffer[16 * fit], 0xA0) << "last record written";
        EXPECT_EQ(buffer[8 + 16 * fit], 0xEE) << "and nothing after it";
        EXPECT_EQ(stream.GetBuffer(true), buffer.data()) << "never grown";
    }
}

TEST(Replay, StopsFromAnotherThreadAfterTheRunningPass) {
    uint8_t buffer[64];
    CxMemFile stream(buffer, 64);
    ASSERT_TRUE(WriteReplayStream(stream, 1, kRows));
    RecordingDriver driver;
    std::thread replay([&] { RunReplay(&driver, stream, driver.run, nullptr); });
    WaitUntil([&] { return driver.sent >= 4; });
    driver.run.store(0);
    replay.join();
    EXPECT_GE(driver.frames.size(), 4u);
    EXPECT_EQ(driver.frames.size() % 3, 0u);
    RunReplay(&driver, stream, driver.run, nullptr);  // flag clear: returns at once
    RunReplay(nullptr, stream, std::atomic<int>{1}, nullptr);
    EXPECT_EQ(driver.frames.size() % 3, 0u);
}

}  // namespace
