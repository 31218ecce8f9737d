// The serial port under a flood of requests from a second thread, without the
// toolkit, so the thread sanitizer sees the port, the driver and the monitor
// thread. A later request may replace one the monitor thread has not taken
// yet; what arrives must be whole, in order, and end with the last.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ptz/PelcoD.h"
#include "serial/SerialPort.h"
#include "tests/fault/FaultUtil.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"
#include "tools/DomeDecoder.h"
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

    // Read until the last request is in, or the line stays quiet for 10 s.
    const uint32_t last = static_cast<uint32_t>(count - 1);
    DomeDecoder decoder;
    std::vector<DomeFrame> frames;
    size_t garbage = 0;
    auto keep = [&](const std::vector<DomeEvent>& events) {
        for (const DomeEvent& e : events) {
            if (e.kind == DomeEvent::Kind::Garbage) {
                garbage += e.skipped;
            } else {
                frames.push_back(e.frame);
            }
        }
    };
    auto lastByte = std::chrono::steady_clock::now();
    while (sending || frames.empty() || SerialOf(frames.back()) != last) {
        pollfd pfd{pty.master(), POLLIN, 0};
        uint8_t buf[4096];
        const ssize_t n = poll(&pfd, 1, 100) > 0 ? read(pty.master(), buf, sizeof buf) : 0;
        if (n > 0) {
            keep(decoder.Feed(buf, static_cast<size_t>(n)));
            lastByte = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastByte > std::chrono::seconds(10)) {
            break;
        }
    }
    sender.join();
    keep(decoder.Flush());

    RecordProperty("frames_through", static_cast<int>(frames.size()));
    EXPECT_EQ(garbage, 0u);
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
