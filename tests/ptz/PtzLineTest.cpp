#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "serial/SerialPort.h"
#include "tests/ptz/FrameTestUtil.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"

using namespace frametest;

namespace {

constexpr unsigned kPort = 3;

void IgnoreReceived(uint8_t*, uint32_t) {}

class PtzLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_pty.ok());
        ASSERT_TRUE(m_map.Link(kPort, m_pty.slavePath()));
    }

    bool Open() { return m_port.OpenComm(IgnoreReceived, kPort, 9600, 'N', 8, 1) == 1; }

    PtyPair m_pty;
    ScopedPortMap m_map;
    CSerialPort m_port;
};

}  // namespace

TEST_F(PtzLineTest, FramesArriveOnThePeerByteForByte) {
    ASSERT_TRUE(Open());
    PelcoD d(&m_port, 1);
    PelcoP p(&m_port, 200);
    const uint8_t recorded[] = {0xFF, 0x01, 0x00, 0x04, 0x20, 0x20, 0x00, 0x00};
    const struct {
        const char* name;
        PtzBase& ptz;
        std::function<int(PtzBase&)> call;
        const char* frame;
    } cases[] = {
        {"Pelco-D up", d, [](PtzBase& z) { return z.Action(PTZ_UP, 32, 32); },
         "FF 01 00 08 20 20 49"},
        {"Pelco-D replay", d, [&](PtzBase& z) { return z.AutoAction(recorded, 7); },
         "FF 01 00 04 20 20 00"},
        {"Pelco-P preset", p, [](PtzBase& z) { return z.PresetAction(PTZ_PRESET_CALL, 95); },
         "A0 C8 00 07 00 5F AF 9F"},
        {"Pelco-P switch", p, [](PtzBase& z) { return z.Switch(PTZ_SWITCH, 1); },
         "F6 5E 00 C8 01 01 28"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(c.ptz), 0);
        EXPECT_EQ(LastHex(c.ptz), c.frame);
        // One frame at a time: the port's mailbox holds only the latest.
        EXPECT_EQ(Hex(m_pty.ReadPeer(c.ptz.BufferLen())), c.frame);
    }
    EXPECT_EQ(Hex(m_pty.DrainPeer()), "") << "more than the frames reached the line";
}

TEST_F(PtzLineTest, ClosedPortBuildsTheFrameAndSendsNothing) {
    PelcoD d(&m_port, 1);
    PelcoP p(&m_port, 1);
    const auto sendBoth = [&] {
        EXPECT_EQ(d.Action(PTZ_LEFT, 32, 32), 0);
        EXPECT_EQ(LastHex(d), "FF 01 00 04 20 20 45");
        EXPECT_EQ(p.Action(PTZ_LEFT, 32, 32), 0);
        EXPECT_EQ(LastHex(p), "A0 01 00 04 20 00 AF 2A");
    };
    sendBoth();  // never opened
    ASSERT_TRUE(Open());
    m_port.CloseComm();
    sendBoth();  // opened and closed again

    // Frames refused while closed must not come out after a reopen either:
    // the first bytes on the line are the frame sent now.
    ASSERT_TRUE(Open());
    d.Stop();
    EXPECT_EQ(Hex(m_pty.ReadPeer(7)), "FF 01 00 00 00 00 01");
    EXPECT_EQ(Hex(m_pty.DrainPeer()), "");
}
