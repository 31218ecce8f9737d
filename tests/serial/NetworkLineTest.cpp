// The network backend against a real serial device server: ser2net bridging
// a pty, with the dome's decoder reading the far end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/SerialPort.h"
#include "serial/Telnet.h"
#include "tests/support/DomePeer.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/Ser2net.h"
#include "tests/support/WaitUntil.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr unsigned kCom = 4;

Bytes PelcoD(uint8_t address, uint8_t c1, uint8_t c2, uint8_t d1, uint8_t d2) {
    return {0xFF, address, c1, c2, d1, d2, uint8_t(address + c1 + c2 + d1 + d2)};
}

// 0xFF (the telnet IAC) inside frames, and bytes a line not in binary mode
// would change.
const Bytes kFrames[] = {PelcoD(0xFF, 0x00, 0x00, 0x00, 0x00), PelcoD(0x01, 0x00, 0x04, 0xFF, 0x00),
                         PelcoD(0x01, 0x11, 0x0D, 0x0A, 0x13),
                         PelcoD(0x02, 0x00, 0x00, 0x00, 0x00)};

std::mutex g_mutex;
Bytes g_received;

void OnReceive(uint8_t* data, uint32_t count) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_received.insert(g_received.end(), data, data + count);
}

speed_t FarSpeed(const std::string& slave) {
    const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    tcgetattr(fd, &tio);
    ::close(fd);
    return cfgetospeed(&tio);
}

class NetworkLine : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!Ser2net::Installed()) {
            GTEST_SKIP() << "ser2net is not installed (scripts/setup installs it)";
        }
        ASSERT_TRUE(m_pty.ok());
        ASSERT_TRUE(m_server.Start());
        ASSERT_TRUE(m_map.Link(kCom, m_server.Target()));
        m_port.SetLineLostCallback([this] { ++m_lost; });
    }
    int Open(unsigned baud = 9600) { return m_port.OpenComm(&OnReceive, kCom, baud, 'N', 8, 1); }

    ScopedPortMap m_map;
    PtyPair m_pty;
    Ser2net m_server{m_pty.slavePath(), GetParam()};
    std::atomic<int> m_lost{0};
    CSerialPort m_port;
};

TEST_P(NetworkLine, FramesArriveAsSentBothWays) {
    ASSERT_EQ(Open(), 1) << m_port.LastOpenResult().text;
    DomePeer dome(m_pty.master());
    constexpr size_t kCount = 200;  // back to back, so TCP merges and splits them
    for (size_t i = 0; i < kCount; ++i) {
        const Bytes& f = kFrames[i % std::size(kFrames)];
        ASSERT_TRUE(WaitUntil([&] { return m_port.SendBytes(f.data(), 7) == 1; }));
    }
    ASSERT_TRUE(dome.WaitForFrames(kCount));
    for (size_t i = 0; i < kCount; ++i) {
        EXPECT_EQ(dome.Frame(i).bytes, kFrames[i % std::size(kFrames)]) << i;
    }
    EXPECT_EQ(dome.GarbageBytes(), 0u);
    dome.Stop();

    Bytes answer = kFrames[0];  // from the dome: 0xFF as data, then as a frame's start
    answer.insert(answer.end(), kFrames[1].begin(), kFrames[1].end());
    ASSERT_TRUE(m_pty.WritePeer(answer));
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(g_mutex);
        return g_received.size() >= answer.size();
    }));
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_EQ(g_received, answer);
    g_received.clear();
}

TEST_P(NetworkLine, DroppedConnectionIsALostLineAndOpenConnectsAgain) {
    ASSERT_EQ(Open(), 1) << m_port.LastOpenResult().text;
    m_server.Kill();
    ASSERT_TRUE(WaitUntil([&] { return m_lost == 1 && m_port.IsLineLost() == 1; }));
    EXPECT_EQ(m_port.LastLineLoss().kind, LineLossKind::Gone);
    m_port.CloseComm();

    ASSERT_TRUE(m_server.Start());
    ASSERT_EQ(Open(), 1) << m_port.LastOpenResult().text;
    DomePeer dome(m_pty.master());
    ASSERT_EQ(m_port.SendBytes(kFrames[0].data(), 7), 1);
    ASSERT_TRUE(dome.WaitForFrames(1));
    EXPECT_EQ(dome.Frame(0).bytes, kFrames[0]);
}

// A baud change in the dialog closes and opens the port again; in raw mode
// the far end keeps the server's own 9600.
TEST_P(NetworkLine, FarSpeedFollowsEachOpenInRfc2217Mode) {
    for (const auto& [baud, speed] : {std::pair{19200u, B19200}, std::pair{2400u, B2400}}) {
        ASSERT_EQ(Open(baud), 1);
        // ser2net sets the device up after it takes the connection.
        const speed_t want = GetParam() ? speed : B9600;
        EXPECT_TRUE(WaitUntil([&] { return FarSpeed(m_pty.slavePath()) == want; })) << baud;
        m_port.CloseComm();
    }
}

INSTANTIATE_TEST_SUITE_P(Ser2net, NetworkLine, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Rfc2217" : "Raw"; });

// A server that agrees to COM-PORT-OPTION, then answers the settings with
// `answer` (nothing: it stays silent), for what ser2net never does.
struct ScriptedServer {
    explicit ScriptedServer(const std::string& answer)
        : fd(ListenLoopback(1, port)), thread([this, answer] {
              const int c = ::accept(fd, nullptr, nullptr);
              const std::string agree = telnet::Command(telnet::kDo, telnet::kOptComPort);
              ::send(c, agree.data(), agree.size(), MSG_NOSIGNAL);
              char buf[256];
              // The stop-size request ends the client's second burst.
              for (ssize_t n; (n = ::recv(c, buf, sizeof(buf), 0)) > 0;) {
                  if (std::string(buf, size_t(n)).find(char(telnet::kSetStopSize)) !=
                      std::string::npos) {
                      ::send(c, answer.data(), answer.size(), MSG_NOSIGNAL);
                  }
              }
              ::close(c);
          }) {}
    ~ScriptedServer() {
        ::shutdown(fd, SHUT_RDWR);
        thread.join();
        ::close(fd);
    }
    std::string Target() const { return "rfc2217:127.0.0.1:" + std::to_string(port); }
    uint16_t port = 0;
    int fd;
    std::thread thread;
};

TEST(NetworkLineOpen, EachFailureGivesItsReason) {
    using namespace telnet;
    const std::string others = ComPortRequest(kSetDataSize + kServerOffset, 8, 1) +
                               ComPortRequest(kSetParity + kServerOffset, kParityNone, 1) +
                               ComPortRequest(kSetStopSize + kServerOffset, 1, 1);
    DeafPort deaf;
    ScriptedServer slower(ComPortRequest(kSetBaudRate + kServerOffset, 4800, 4) + others);
    ScriptedServer silent("");
    PtyPair pty;
    Ser2net raw(pty.slavePath(), false);
    ASSERT_TRUE(!Ser2net::Installed() || raw.Start());
    const struct {
        std::string target;
        OpenFailureKind kind;
        std::string says;
    } cases[] = {
        {slower.Target(), OpenFailureKind::SettingsRefused, "refused 9600 8N1"},
        {silent.Target(), OpenFailureKind::NoAnswer, "No answer from 127.0.0.1 within 2 s"},
        {"tcp:127.0.0.1:" + std::to_string(Ser2net::FreePort()), OpenFailureKind::ConnectRefused,
         "is the server's port in raw or RFC 2217 mode"},
        {"rfc2217:127.0.0.1:" + std::to_string(raw.port()), OpenFailureKind::NotRfc2217,
         "is the server's port in RFC 2217 (telnet) mode?"},
        {deaf.Target(), OpenFailureKind::NoAnswer, "No answer from 127.0.0.1 within 3 s"},
    };
    ScopedPortMap map;
    for (const auto& c : cases) {
        if (c.kind == OpenFailureKind::NotRfc2217 && !Ser2net::Installed()) {
            continue;
        }
        ASSERT_TRUE(map.Link(kCom, c.target));
        CSerialPort port;
        EXPECT_EQ(port.OpenComm(&OnReceive, kCom, 9600, 'N', 8, 1), 0) << c.target;
        EXPECT_EQ(port.LastOpenFailure().kind, c.kind) << c.target;
        const std::string text = port.LastOpenResult().text;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.target << ": " << text;
    }
}

}  // namespace
