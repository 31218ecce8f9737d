// The serial port and a driver under load from a second thread, without the
// toolkit: a sending thread builds frames through PelcoD, the port's monitor
// thread writes them, and the test reads and decodes the peer side.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
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

using Clock = std::chrono::steady_clock;
constexpr unsigned kPort = 4;
constexpr auto kQuiet = std::chrono::seconds(10);

void IgnoreReceived(uint8_t*, uint32_t) {}

// What the test read off the line so far, shared with the sending thread.
class Received {
public:
    void Add(const std::vector<DomeEvent>& events) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (const DomeEvent& e : events) {
                if (e.kind == DomeEvent::Kind::Garbage) {
                    m_garbage += e.skipped;
                } else {
                    m_frames.push_back(e.frame);
                }
            }
        }
        m_changed.notify_all();
    }
    bool WaitFor(size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kQuiet, [&] { return m_frames.size() >= count; });
    }
    // The latest frame; an empty one before any came.
    DomeFrame Last() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames.empty() ? DomeFrame{} : m_frames.back();
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames.size();
    }
    std::vector<DomeFrame> frames() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }
    size_t garbage() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_garbage;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<DomeFrame> m_frames;
    size_t m_garbage = 0;
};

// A PelcoD driver on COM4, which leads to a fresh pty.
class LoadedLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(map.Link(kPort, pty.slavePath()));
        ASSERT_EQ(port.OpenComm(&IgnoreReceived, kPort, 115200, 'N', 8, 1), 1);
    }

    // Reads and decodes the peer until `done` says so or the line stays quiet
    // for ten seconds.
    template <typename Done>
    void ReadUntil(Done done) {
        DomeDecoder decoder;
        auto lastByte = Clock::now();
        while (!done()) {
            pollfd pfd{pty.master(), POLLIN, 0};
            if (poll(&pfd, 1, 100) > 0) {
                uint8_t buf[4096];
                const ssize_t n = read(pty.master(), buf, sizeof buf);
                if (n > 0) {
                    received.Add(decoder.Feed(buf, static_cast<size_t>(n)));
                    lastByte = Clock::now();
                    continue;
                }
            }
            if (Clock::now() - lastByte > kQuiet) {
                break;
            }
        }
        received.Add(decoder.Flush());
    }

    ScopedPortMap map;
    PtyPair pty;
    CSerialPort port;
    PelcoD driver{&port, 1};
    Received received;
};

TEST_F(LoadedLine, PressAndStopFromAnotherThreadArriveOneForOne) {
    struct Direction {
        int code;
        const char* format;
    };
    const Direction directions[] = {
        {PTZ_UP, "tilt up speed 0x%02x"},
        {PTZ_DOWN, "tilt down speed 0x%02x"},
        {PTZ_LEFT, "pan left speed 0x%02x"},
        {PTZ_RIGHT, "pan right speed 0x%02x"},
        {PTZ_LEFT_UP, "pan left speed 0x%02x, tilt up speed 0x%02x"},
        {PTZ_RIGHT_UP, "pan right speed 0x%02x, tilt up speed 0x%02x"},
        {PTZ_LEFT_DOWN, "pan left speed 0x%02x, tilt down speed 0x%02x"},
        {PTZ_RIGHT_DOWN, "pan right speed 0x%02x, tilt down speed 0x%02x"},
    };
    const int cycles = StressCycles(10000);
    const size_t total = 2 * static_cast<size_t>(cycles);
    Watchdog watchdog("press and stop from another thread", 600);

    // Each command waits until the previous frame was read back: the port
    // keeps one request pending, and a later one replaces it.
    std::atomic<bool> stalled{false};
    std::thread sender([&] {
        for (int i = 0; i < cycles && !stalled; ++i) {
            const uint32_t speed = 1 + static_cast<uint32_t>(i) % 0x3F;
            driver.Action(directions[i % std::size(directions)].code, speed, speed);
            if (!received.WaitFor(2 * static_cast<size_t>(i) + 1)) {
                stalled = true;
                break;
            }
            driver.Action(PTZ_STOP, speed, speed);
            if (!received.WaitFor(2 * static_cast<size_t>(i) + 2)) {
                stalled = true;
            }
        }
    });
    ReadUntil([&] { return stalled || received.Count() >= total; });
    sender.join();
    ASSERT_FALSE(stalled) << "a frame never arrived after " << received.Count();

    const std::vector<DomeFrame> frames = received.frames();
    EXPECT_EQ(received.garbage(), 0u);
    ASSERT_EQ(frames.size(), total);
    size_t wrong = 0;
    for (size_t k = 0; k < total; ++k) {
        const size_t i = k / 2;
        const unsigned speed = 1 + static_cast<unsigned>(i) % 0x3F;
        char press[96];
        std::snprintf(press, sizeof press, directions[i % std::size(directions)].format, speed,
                      speed);
        const std::string want = k % 2 == 0 ? press : "stop";
        const std::string got = CommandText(frames[k].command, true);
        if ((!frames[k].checkOk() || got != want) && ++wrong <= 5) {
            ADD_FAILURE() << "frame " << k << " " << HexBytes(frames[k].bytes) << " read as \""
                          << got << "\", expected \"" << want << "\"";
        }
    }
    EXPECT_EQ(wrong, 0u);
}

// Without waiting, a later request may replace one the monitor thread has not
// taken yet; what does arrive must be whole, in order, and end with the last.
TEST_F(LoadedLine, AFloodOfRequestsLosesOnlyWholeFramesAndNeverTheLast) {
    const int count = StressCycles(10000) * 2;
    Watchdog watchdog("a flood of requests", 600);
    const auto serial = [](const DomeFrame& f) {
        return uint32_t{f.bytes[2]} << 24 | uint32_t{f.bytes[3]} << 16 | uint32_t{f.bytes[4]} << 8 |
               f.bytes[5];
    };
    std::atomic<bool> sending{true};
    std::thread sender([&] {
        for (int i = 0; i < count; ++i) {
            const auto n = static_cast<uint32_t>(i);
            driver.ManualAction(static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                                static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n));
        }
        sending = false;
    });
    const uint32_t last = static_cast<uint32_t>(count - 1);
    ReadUntil([&] {
        const DomeFrame latest = received.Last();
        return !sending && !latest.bytes.empty() && serial(latest) == last;
    });
    sender.join();

    const std::vector<DomeFrame> frames = received.frames();
    RecordProperty("frames_through", static_cast<int>(frames.size()));
    EXPECT_EQ(received.garbage(), 0u);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(serial(frames.back()), last) << "the last request always goes out";
    for (size_t k = 0; k < frames.size(); ++k) {
        ASSERT_TRUE(frames[k].checkOk()) << HexBytes(frames[k].bytes);
        ASSERT_EQ(frames[k].protocol, DomeProtocol::PelcoD);
        if (k > 0) {
            ASSERT_GT(serial(frames[k]), serial(frames[k - 1])) << "frame " << k;
        }
    }
}

}  // namespace
