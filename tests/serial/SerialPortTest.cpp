#include "serial/SerialPort.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <stop_token>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "serial/PortLock.h"
#include "tests/serial/SerialPortProbe.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/WaitUntil.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Step = SerialPortProbe::Step;

constexpr unsigned kPort = 3;

const Bytes kUp{0xFF, 0x01, 0x00, 0x08, 0x20, 0x20, 0x49};

// A frame carrying its number, so a lost or reordered one shows, and the
// flow-control and line-end bytes a line not in raw mode would change.
Bytes Numbered(uint32_t n) {
    return {
        0xFF, 0x01, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 0x11, 0x13, 0x0A, 0x0D,
        0x03, 0x1A};
}

// What the receive callback was handed.
struct Received {
    std::mutex mutex;
    std::vector<Bytes> frames;
};
Received g_received;

void OnReceive(uint8_t* data, uint32_t count) {
    std::lock_guard<std::mutex> lock(g_received.mutex);
    g_received.frames.emplace_back(data, data + count);
}

void Ignore(uint8_t*, uint32_t) {}

size_t FrameCount() {
    std::lock_guard<std::mutex> lock(g_received.mutex);
    return g_received.frames.size();
}

void ClearReceived() {
    std::lock_guard<std::mutex> lock(g_received.mutex);
    g_received.frames.clear();
}

// A new pty line discipline is cooked; leaving it so checks that opening the
// port really makes the line raw.
void MakeCooked(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    tio.c_iflag |= ICRNL | IXON;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_lflag |= ICANON | ECHO | ISIG;
    tio.c_cc[VMIN] = 1;
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &tio), 0);
    close(fd);
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_pty.ok());
        ASSERT_TRUE(m_map.Link(kPort, m_pty.slavePath()));
        MakeCooked(m_pty.slavePath());
        ClearReceived();
        m_probe.OnStep([this](Step step) {
            ++m_steps[static_cast<int>(step)];
            m_readAfterLoss = m_readAfterLoss || (step == Step::Receive && m_port.IsLineLost());
            if (m_onStep) {
                m_onStep(step);
            }
        });
    }
    void TearDown() override {
        m_hold = false;
        m_port.CloseComm();
    }

    // The monitor thread purges the line as it starts: the peer may write
    // only once it has.
    int Open() {
        const int started = Count(Step::Started);
        const int result = m_port.OpenComm(&OnReceive, kPort, 9600, 'N', 8, 1);
        if (result == 1) {
            EXPECT_TRUE(WaitUntil([&] { return Count(Step::Started) > started; }));
        }
        return result;
    }
    int Count(Step step) const { return m_steps[static_cast<int>(step)]; }
    // Set before Open; runs on the monitor thread.
    void OnStep(std::function<void(Step)> hook) { m_onStep = std::move(hook); }
    int Send(const Bytes& bytes) {
        return m_port.SendBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    // Set before Open: from then on the monitor thread takes no frame from
    // the queue while m_hold is set.
    void HoldWrites() {
        OnStep([this](Step step) {
            if (step == Step::TakeFrame) {
                WaitUntil([this] { return !m_hold.load(); }, 30s);
            }
        });
    }

    ScopedPortMap m_map;
    PtyPair m_pty;
    // Touched by the monitor thread through the step hook: declared before
    // the port so they outlive its thread.
    std::function<void(Step)> m_onStep;
    std::atomic<int> m_steps[static_cast<int>(Step::WriteAbandoned) + 1] = {};
    std::atomic<uint32_t> m_holdUntilQueued{0};
    std::atomic<bool> m_emptyBeforeRead{false};
    std::atomic<bool> m_hold{false};
    std::atomic<int> m_lostCalls{0};
    std::atomic<int> m_writesAtFirstRead{-1};
    std::atomic<bool> m_readAfterLoss{false};
    CSerialPort m_port;
    SerialPortProbe m_probe{m_port};
};

TEST_F(SerialPortTest, AFullQueueRefusesAndWhatItTookGoesOutInOrderThroughAClose) {
    HoldWrites();
    m_hold = true;
    ASSERT_EQ(Open(), 1);
    EXPECT_TRUE(m_port.WaitForRoom({}));
    Bytes expected;
    for (uint32_t i = 0; i < CSerialPort::kSendQueueDepth; ++i) {
        ASSERT_EQ(Send(Numbered(i)), 1) << i;
        const Bytes frame = Numbered(i);
        expected.insert(expected.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(Send(Numbered(999)), 0) << "a full queue takes nothing";

    std::stop_source abort;
    auto waiting =
        std::async(std::launch::async, [&] { return m_port.WaitForRoom(abort.get_token()); });
    abort.request_stop();
    EXPECT_TRUE(WaitUntil([&] { return waiting.wait_for(0s) == std::future_status::ready; }))
        << "an abort ends the wait for room";

    // The close begins with every frame still queued.
    std::thread closing([this] { m_port.CloseComm(); });
    EXPECT_TRUE(WaitUntil([&] { return m_port.IsCommOpen() == 0; }));
    m_hold = false;
    closing.join();
    EXPECT_FALSE(waiting.get());
    EXPECT_FALSE(m_port.WaitForRoom({})) << "closed";
    EXPECT_EQ(m_pty.ReadPeer(expected.size()), expected);
    EXPECT_TRUE(m_pty.DrainPeer().empty());
}

// The monitor thread holds the writes, so what was queued when the line went
// is known.
TEST_F(SerialPortTest, AStalledOrVanishedPeerLosesTheLineAndCountsWhatNeverWentOut) {
    HoldWrites();
    m_port.SetLineLostCallback([this] { ++m_lostCalls; });
    ASSERT_EQ(Open(), 1);
    // The peer never reads: once the pty is full no write gets anywhere.
    const Bytes block(CSerialPort::kSendSlotSize, 0x55);
    uint32_t accepted = 0;
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < until && m_port.WaitForRoom({})) {
        accepted += static_cast<uint32_t>(Send(block));
    }
    LineLoss loss = m_port.LastLineLoss();
    EXPECT_EQ(loss.kind, LineLossKind::Stalled);
    EXPECT_GT(loss.framesNotWritten, 0u);
    EXPECT_EQ(loss.framesNotWritten, accepted - static_cast<uint32_t>(Count(Step::WriteDone)));
    EXPECT_EQ(Send(kUp), 0) << "a lost line takes nothing";
    EXPECT_FALSE(m_port.WaitForRoom({})) << "nor has room";
    EXPECT_TRUE(WaitUntil([this] { return m_lostCalls == 1; }));

    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(m_port.LastLineLoss().kind, LineLossKind::None);
    EXPECT_EQ(m_port.LastLineLoss().framesNotWritten, 0u);
    m_hold = true;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(Send(kUp), 1);
    }
    m_pty.Vanish();
    m_hold = false;
    ASSERT_TRUE(WaitUntil([this] { return m_port.IsLineLost() != 0; }));
    loss = m_port.LastLineLoss();
    EXPECT_EQ(loss.kind, LineLossKind::Gone);
    EXPECT_EQ(loss.framesNotWritten, 5u);
    EXPECT_TRUE(WaitUntil([this] { return m_lostCalls == 2; }));
    m_port.CloseComm();
    EXPECT_FALSE(m_readAfterLoss) << "the hung-up line stayed watched";
}

// Input waiting and a frame queued when the monitor thread next looks: the
// frame goes first, so a flood of input cannot hold back a stop.
TEST_F(SerialPortTest, AQueuedFrameIsWrittenBeforeWaitingInputIsRead) {
    OnStep([this](Step step) {
        if (step == Step::WriteDone && Count(Step::WriteDone) == 1) {
            WaitUntil([this] { return !m_hold.load(); }, 30s);
            WaitUntil([this] { return m_probe.QueuedInput() >= kUp.size(); });
        } else if (step == Step::Receive && m_writesAtFirstRead < 0) {
            m_writesAtFirstRead = Count(Step::WriteDone);
        }
    });
    m_hold = true;
    ASSERT_EQ(Open(), 1);
    ASSERT_EQ(Send(kUp), 1);
    ASSERT_TRUE(WaitUntil([this] { return Count(Step::WriteDone) == 1; }));
    ASSERT_TRUE(m_pty.WritePeer(kUp));
    ASSERT_EQ(Send(Numbered(1)), 1);
    m_hold = false;
    ASSERT_TRUE(WaitUntil([this] { return Count(Step::WriteDone) == 2; }));
    ASSERT_TRUE(m_pty.WritePeer(kUp));  // a read to record, if none came before
    ASSERT_TRUE(WaitUntil([this] { return m_writesAtFirstRead >= 0; }));
    EXPECT_EQ(m_writesAtFirstRead, 2) << "input was read before the queued frame went out";
}

TEST_F(SerialPortTest, ReceivedBytesAreFramed) {
    struct Chunk {
        Bytes bytes;
        std::vector<Bytes> frames;  // the callbacks it brings
    };
    const struct {
        const char* what;
        std::vector<Chunk> chunks;
        bool emptyBeforeRead;
    } cases[] = {
        {"strays before and after a frame are dropped",
         {{{0x00, 0xFF, 1, 2, 3, 4, 5, 6, 7}, {{0xFF, 1, 2, 3, 4, 5, 6}}}},
         false},
        {"a dry queue hands on what came; strays are dropped until the next FF",
         {{{0xFF, 1, 2}, {{0xFF, 1, 2}}},
          {{3, 4}, {{}}},
          {{0xFF, 9, 8, 7, 6, 5, 4}, {{0xFF, 9, 8, 7, 6, 5, 4}}}},
         false},
        {"an FF inside a frame is data",
         {{{0xFF, 0xFF, 1, 2, 3, 4, 5}, {{0xFF, 0xFF, 1, 2, 3, 4, 5}}}},
         false},
        {"a line event that finds nothing still calls back", {{{0xFF}, {{}}}}, true},
    };
    OnStep([this](Step step) {
        if (step != Step::Receive) {
            return;
        }
        // Read only once the whole chunk is queued, as if it came at once.
        const uint32_t want = m_holdUntilQueued.exchange(0);
        if (want != 0) {
            WaitUntil([&] { return m_probe.QueuedInput() >= want; });
        }
        if (m_emptyBeforeRead.exchange(false)) {
            m_probe.DiscardInput();
        }
    });
    ASSERT_EQ(Open(), 1);
    for (const auto& c : cases) {
        ClearReceived();
        std::vector<Bytes> expected;
        for (const auto& chunk : c.chunks) {
            expected.insert(expected.end(), chunk.frames.begin(), chunk.frames.end());
            m_emptyBeforeRead = c.emptyBeforeRead;
            m_holdUntilQueued = static_cast<uint32_t>(chunk.bytes.size());
            ASSERT_TRUE(m_pty.WritePeer(chunk.bytes)) << c.what;
            ASSERT_TRUE(WaitUntil([&] { return FrameCount() >= expected.size(); })) << c.what;
        }
        std::lock_guard<std::mutex> lock(g_received.mutex);
        EXPECT_EQ(g_received.frames, expected) << c.what;
    }
}

// What the port's tap was handed, by direction.
class RecordingTap : public LineTap {
public:
    void OnLine(Direction direction, uint32_t, const uint8_t* data, uint32_t size) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        Bytes& to = direction == Direction::Sent ? m_sent : m_received;
        to.insert(to.end(), data, data + size);
    }
    Bytes Sent() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sent;
    }
    Bytes Received() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

private:
    std::mutex m_mutex;
    Bytes m_sent;
    Bytes m_received;
};

// The tap gets the raw bytes read, a Pelco-P frame the framing drops
// included, and the frames written; once removed, nothing more.
TEST_F(SerialPortTest, TheTapSeesEveryByteReadAndEveryFrameWrittenUntilRemoved) {
    ASSERT_EQ(Open(), 1);
    RecordingTap tap;
    struct Removal {
        CSerialPort& port;
        ~Removal() { port.SetLineTap(nullptr); }
    } removal{m_port};
    m_port.SetLineTap(&tap);
    const Bytes pelcoP{0xA0, 0x01, 0x00, 0x07, 0x00, 0x5F, 0xAF, 0x56};
    ASSERT_TRUE(m_pty.WritePeer(pelcoP));
    EXPECT_TRUE(WaitUntil([&] { return tap.Received() == pelcoP; }));
    ASSERT_EQ(Send(kUp), 1);
    EXPECT_TRUE(WaitUntil([&] { return tap.Sent() == kUp; }));

    m_port.SetLineTap(nullptr);
    // The thread serves the line before a send, so once the frame is out
    // the bytes were read.
    ASSERT_TRUE(m_pty.WritePeer(pelcoP));
    ASSERT_EQ(Send(kUp), 1);
    Bytes twice = kUp;
    twice.insert(twice.end(), kUp.begin(), kUp.end());
    EXPECT_EQ(m_pty.ReadPeer(twice.size()), twice);
    EXPECT_EQ(tap.Received(), pelcoP);
    EXPECT_EQ(tap.Sent(), kUp);
}

TEST_F(SerialPortTest, SecondPortOnTheSameDeviceIsRefused) {
    ASSERT_EQ(Open(), 1);
    CSerialPort other;
    EXPECT_EQ(other.OpenComm(&Ignore, kPort, 9600, 'N', 8, 1), 0);
    EXPECT_EQ(other.IsCommOpen(), 0);
    ASSERT_EQ(Send(kUp), 1);
    EXPECT_EQ(m_pty.ReadPeer(kUp.size()), kUp) << "the holder must be unaffected";
    // The lock file other serial programs honour, as they write it.
    const std::string lock = UucpLockPath(m_pty.slavePath());
    EXPECT_EQ(lock.substr(lock.rfind('/')), "/LCK..pts_" + m_pty.slavePath().substr(9));
    char mine[16];
    std::snprintf(mine, sizeof(mine), "%10d\n", static_cast<int>(getpid()));
    const std::vector<uint8_t> bytes = ReadWholeFile(lock);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), mine);
    m_port.CloseComm();
    EXPECT_FALSE(std::filesystem::exists(lock)) << "removed at close";
    EXPECT_EQ(other.OpenComm(&Ignore, kPort, 9600, 'N', 8, 1), 1) << "free once the holder closed";
}

TEST_F(SerialPortTest, MonitorThatCannotStartFailsTheOpenAndLeaksNothing) {
    const auto descriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator());
    };
    const auto before = descriptors();
    m_probe.OnThreadStart([] {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(descriptors(), before) << "the device or an event stayed open";
    m_probe.OnThreadStart(nullptr);
    EXPECT_EQ(Open(), 1) << "the device stayed locked";
}

}  // namespace
