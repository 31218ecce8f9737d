#include <gtest/gtest.h>

#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "serial/SerialPort.h"
#include "tests/ptz/FrameTestUtil.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"

using namespace frametest;

TEST(PtzLineTest, FramesReachThePeerByteForByteOnlyWhileOpen) {
    PtyPair pty;
    ScopedPortMap map;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(map.Link(3, pty.slavePath()));
    CSerialPort port;
    const auto open = [&] {
        return port.OpenComm([](uint8_t*, uint32_t) {}, 3, 9600, 'N', 8, 1) == 1;
    };
    PelcoD d(&port, 1);
    PelcoP p(&port, 200);

    // A closed port (never opened, then opened and closed) still builds the
    // frame and reports success, but nothing may reach the line, not even
    // after a reopen.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(d.Action(PTZ_LEFT, 32, 32), 0);
        EXPECT_EQ(LastHex(d), "FF 01 00 04 20 20 45");
        EXPECT_EQ(p.Switch(PTZ_SWITCH, 1), 0);
        EXPECT_EQ(LastHex(p), "F6 5E 00 C8 01 01 28");
        ASSERT_TRUE(open());
        if (round == 0) {
            port.CloseComm();
        }
    }

    static const uint8_t kRecorded[] = {0xFF, 0x01, 0x00, 0x04, 0x20, 0x20, 0x00};
    const struct {
        PtzBase& ptz;
        Call call;
        const char* frame;
    } sent[] = {
        {d, PTZ_CALL(Action(PTZ_UP, 32, 32)), "FF 01 00 08 20 20 49"},
        {d, PTZ_CALL(AutoAction(kRecorded, 7)), "FF 01 00 04 20 20 00"},
        {p, PTZ_CALL(PresetAction(PTZ_PRESET_CALL, 95)), "A0 C8 00 07 00 5F AF 9F"},
        {p, PTZ_CALL(Switch(PTZ_SWITCH, 0)), "F6 5E 00 C8 01 00 27"},
    };
    for (const auto& s : sent) {
        SCOPED_TRACE(s.frame);
        EXPECT_EQ(s.call(s.ptz), 0);
        // One frame at a time: the port's mailbox holds only the latest.
        EXPECT_EQ(ToHex(pty.ReadPeer(s.ptz.BufferLen())), s.frame);
    }
    EXPECT_EQ(ToHex(pty.DrainPeer()), "") << "more than the frames reached the line";
}
