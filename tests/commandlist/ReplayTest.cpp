#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "commandlist/Replay.h"
#include "commandlist/ReplayRunner.h"
#include "ptz/PelcoD.h"
#include "serial/SerialPort.h"
#include "stream/CxMemFile.h"
#include "tests/serial/SerialPortProbe.h"
#include "tests/support/PtyPair.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/ScopedPortMap.h"
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
                {"late by one to two pauses: caught up, never in a burst",
                 300,
                 0,
                 700,
                 {300, 1000, 1150, 1300, 1500, 1800}},
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

// Time stands still, so the replay runs far ahead of the line unless it waits
// for room.
TEST(Replay, FasterThanTheLineItWaitsForRoomAndLosesNothing) {
    constexpr unsigned kPort = 3;
    constexpr uint32_t kFrames = 2000;
    ScopedPortMap map;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(map.Link(kPort, pty.slavePath()));
    std::atomic<uint32_t> announced{0};
    CSerialPort port;
    SerialPortProbe probe(port);
    // Nothing is written until the replay is one frame past a full queue.
    probe.OnStep([&](SerialPortProbe::Step step) {
        if (step == SerialPortProbe::Step::TakeFrame) {
            WaitUntil([&] { return announced.load() > CSerialPort::kSendQueueDepth; });
        }
    });
    ASSERT_EQ(port.OpenComm([](uint8_t*, uint32_t) {}, kPort, 9600, 'N', 8, 1), 1);

    std::vector<CommandRecord> records;
    std::vector<uint8_t> expected;
    for (uint32_t i = 0; i < kFrames; ++i) {
        records.push_back({1, 7, {0xFF, 1, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)}});
        expected.insert(expected.end(), records.back().byData, records.back().byData + 7);
    }
    std::vector<uint8_t> buffer(sizeof(ReplayHeader) + kFrames * sizeof(CommandRecord));
    CxMemFile stream(buffer.data(), static_cast<uint32_t>(buffer.size()));
    ASSERT_TRUE(WriteReplayStream(stream, 0, records));
    StepClock clock;
    PelcoD driver(&port, 1);
    std::atomic<int> run{1};
    std::stop_source abort;
    std::thread replay([&] {
        RunReplay(&driver, stream, clock, run, abort.get_token(), [&](int32_t, uint32_t) {
            if (++announced == kFrames) {
                run = 0;
            }
        });
    });
    EXPECT_EQ(pty.ReadPeer(expected.size(), 20000), expected);
    abort.request_stop();  // ends a replay left waiting
    replay.join();
    EXPECT_TRUE(pty.DrainPeer().empty());
}

// One driver per thread: a replay on a driver of its own while another thread
// presses buttons on the dialog's driver, both on one port. Under the thread
// sanitizer, any state the two threads share is reported.
TEST(Replay, RunsOnItsOwnDriverWhileAnotherThreadPressesOnTheSamePort) {
    ScopedPortMap map;
    PtyPair pty;
    ASSERT_TRUE(map.Link(3, pty.slavePath()));
    CSerialPort port;
    ASSERT_EQ(port.OpenComm([](uint8_t*, uint32_t) {}, 3, 9600, 'N', 8, 1), 1);
    uint8_t buffer[64];
    CxMemFile stream(buffer, 64);
    ASSERT_TRUE(WriteReplayStream(stream, 1, kRows));
    PelcoD dialog(&port, 1);
    PelcoD replay(&port, 1);
    ReplayRunner runner;
    ASSERT_TRUE(runner.Start(&replay, stream));
    std::thread buttons([&] {
        for (int i = 0; i < 100; ++i) {
            dialog.WaitForRoom({});
            dialog.Action(i % 2 ? PTZ_STOP : PTZ_UP, 0x20, 0x20);
        }
    });
    buttons.join();
    EXPECT_TRUE(WaitUntil([&] { return runner.Pass() > 1; }));
    runner.Abort();
}

}  // namespace
