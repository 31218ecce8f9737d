// The serial port under a flood of requests from a second thread, without the
// toolkit, so the thread sanitizer sees the port, the driver and the monitor
// thread. A later request may replace one the monitor thread has not taken
// yet; what arrives must be whole, in order, and end with the last.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ptz/PelcoD.h"
#include "serial/SerialPort.h"
#include "tests/fault/FaultUtil.h"
#include "tests/support/DomePeer.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/WaitUntil.h"
#include "tools/DomeReport.h"

namespace {

void IgnoreReceived(uint8_t*, uint32_t) {}

uint32_t SerialOf(const DomeFrame& f) {
    return uint32_t{f.bytes[2]} << 24 | uint32_t{f.bytes[3]} << 16 | uint32_t{f.bytes[4]} << 8 |
           f.bytes[5];
}

TEST(LineStress, AFloodOfRequestsLosesOnlyWholeFramesAndNeverTheLast) {
    constexpr unsigned kPort = 4;
    ScopedPortMap map;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(map.Link(kPort, pty.slavePath()));
    CSerialPort port;
    ASSERT_EQ(port.OpenComm(&IgnoreReceived, kPort, 115200, 'N', 8, 1), 1);
    PelcoD driver(&port, 1);

    const int count = StressCycles(10000) * 2;
    std::atomic<bool> sending{true};
    std::thread sender([&] {
        for (int i = 0; i < count; ++i) {
            const auto n = static_cast<uint32_t>(i);
            driver.ManualAction(static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                                static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n));
        }
        sending = false;
    });

    // The last request is always sent; a minute only bounds a hang.
    const uint32_t last = static_cast<uint32_t>(count - 1);
    DomePeer dome(pty.master());
    WaitUntil(
        [&] {
            const size_t n = dome.FrameCount();
            return !sending && n > 0 && SerialOf(dome.Frame(n - 1)) == last;
        },
        std::chrono::seconds(60));
    sender.join();
    dome.Stop();
    const std::vector<DomeFrame> frames = dome.Frames();

    RecordProperty("frames_through", static_cast<int>(frames.size()));
    EXPECT_EQ(dome.GarbageBytes(), 0u);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(SerialOf(frames.back()), last) << "the last request always goes out";
    for (size_t k = 0; k < frames.size(); ++k) {
        ASSERT_TRUE(frames[k].checkOk()) << HexBytes(frames[k].bytes);
        ASSERT_EQ(frames[k].protocol, DomeProtocol::PelcoD);
        if (k > 0) {
            ASSERT_GT(SerialOf(frames[k]), SerialOf(frames[k - 1])) << "frame " << k;
        }
    }
}

}  // namespace
