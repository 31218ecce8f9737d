#include "console/CommandLog.h"

#include <gtest/gtest.h>

#include <thread>

#include "console/HoldCommand.h"
#include "console/SharedState.h"
#include "platform/Semaphore.h"
#include "ptz/PelcoD.h"
#include "tests/serial/SerialPortProbe.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/WaitUntil.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A clean shared state for the object's life and after it.
struct ScopedSharedStateReset {
    ScopedSharedStateReset() { ResetSharedState(); }
    ~ScopedSharedStateReset() { ResetSharedState(); }
};

// Holds pressed back to back, faster than the line and the log thread: the
// stop behind a full queue waits for room instead of being refused, and the
// log lists every command once, in the order it went out.
TEST(HoldCommand, ABurstReachesTheLineAndTheLogWholeAndInOrder) {
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
    SetLogSemaphore(std::make_unique<Semaphore>(0, 1));
    const Bytes up = {0xff, 0x01, 0x00, 0x08, 0x20, 0x20, 0x49};
    const Bytes stop = {0xff, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01};
    Bytes expected;
    for (uint32_t i = 0; i < CSerialPort::kSendQueueDepth; ++i) {
        ++handed;
        ASSERT_TRUE(HoldPress(PTZ_UP));
        expected.insert(expected.end(), up.begin(), up.end());
    }
    ++handed;
    HoldRelease();
    expected.insert(expected.end(), stop.begin(), stop.end());
    EXPECT_EQ(pty.ReadPeer(expected.size()), expected);
    // The log thread starts late, so one wake-up finds the whole burst queued.
    std::atomic<int> run{1};
    std::mutex mutex;
    Bytes listed;
    std::thread log([&] {
        LogThreadProc(run, *g_hMsgSemaphore, [&](const CommandRecord& r) {
            std::lock_guard<std::mutex> lock(mutex);
            listed.insert(listed.end(), r.byData, r.byData + r.dwSize);
        });
    });
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return listed.size() >= expected.size();
    }));
    run = 0;
    log.join();
    EXPECT_EQ(listed, expected);
    port.CloseComm();
}

}  // namespace
