#include "console/CommandLog.h"

#include <gtest/gtest.h>

#include <thread>

#include "console/HoldCommand.h"
#include "platform/Semaphore.h"
#include "ptz/PelcoD.h"
#include "tests/serial/SerialPortProbe.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"
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
    hand(0);
    hand(1);  // the log thread finds two records behind one pending wake-up
    std::thread log([&] {
        LogThreadProc(run, sem, [&](const CommandRecord& r) {
            std::lock_guard<std::mutex> lock(mutex);
            rows.push_back(r.dwInterval);
        });
    });
    for (uint32_t i = 2; i < kRecords; ++i) {
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

// A stop behind a burst that filled the port's queue waits for room instead
// of being refused, so the camera stops.
TEST(HoldCommand, AStopBehindAFullQueueWaitsForRoom) {
    ScopedSharedStateReset reset;
    ScopedPortMap map;
    PtyPair pty;
    ASSERT_TRUE(map.Link(3, pty.slavePath()));
    CSerialPort port;
    SerialPortProbe probe(port);
    std::atomic<uint32_t> handed{0};
    // Nothing is written until a command comes past a full queue.
    probe.OnStep([&handed](SerialPortProbe::Step step) {
        if (step == SerialPortProbe::Step::TakeFrame) {
            WaitUntil([&handed] { return handed.load() > CSerialPort::kSendQueueDepth; });
        }
    });
    ASSERT_EQ(port.OpenComm([](uint8_t*, uint32_t) {}, 3, 9600, 'N', 8, 1), 1);
    PelcoD driver(&port, 1);
    SetCurrentDriver(&driver);
    for (uint32_t i = 0; i < CSerialPort::kSendQueueDepth; ++i) {
        ++handed;
        ASSERT_TRUE(HoldPress(PTZ_UP));
    }
    ++handed;
    HoldRelease();
    std::vector<uint8_t> expected;
    for (uint32_t i = 0; i < CSerialPort::kSendQueueDepth; ++i) {
        expected.insert(expected.end(), {0xff, 0x01, 0x00, 0x08, 0x20, 0x20, 0x49});
    }
    expected.insert(expected.end(), {0xff, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01});
    EXPECT_EQ(pty.ReadPeer(expected.size()), expected);
    port.CloseComm();
}

}  // namespace
