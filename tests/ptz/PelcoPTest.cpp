#include "ptz/PelcoP.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/ptz/FrameTestUtil.h"

using namespace frametest;

TEST(PelcoPTest, SpeedComesFromSpeed2AndStopsAt0x40) {
    const struct {
        uint32_t speed1;
        uint32_t speed2;
        uint8_t sent;
    } speeds[] = {
        {0, 0, 0x00},    {1000, 1, 0x01}, {0, 63, 0x3F},         {0, 64, 0x40},   {0, 65, 0x40},
        {7, 1000, 0x40}, {0, 256, 0x40},  {0, 0xFFFFFFFF, 0x40}, {1000, 0, 0x00},
    };
    for (const auto& s : speeds) {
        SCOPED_TRACE(testing::Message() << "speeds " << s.speed1 << ", " << s.speed2);
        PelcoP p(nullptr, 1);
        p.Action(PTZ_LEFT, s.speed1, s.speed2);
        EXPECT_EQ(LastHex(p), Hex(PelcoPFrame(1, {0x00, 0x04, s.sent, 0x00})));
        p.Action(PTZ_DOWN, s.speed1, s.speed2);
        EXPECT_EQ(LastHex(p), Hex(PelcoPFrame(1, {0x00, 0x10, 0x00, s.sent})));
        p.Action(PTZ_RIGHT_UP, s.speed1, s.speed2);
        EXPECT_EQ(LastHex(p), Hex(PelcoPFrame(1, {0x00, 0x0A, s.sent, s.sent})));
    }
}

TEST(PelcoPTest, SwitchFrame) {
    const struct {
        uint32_t address;
        uint32_t on;
        const char* frame;
    } cases[] = {
        {1, 1, "F6 5E 00 01 01 01 61"},    {1, 0, "F6 5E 00 01 01 00 60"},
        {200, 1, "F6 5E 00 C8 01 01 28"},   // the sum 0x128 keeps seven bits
        {0x20, 1, "F6 5E 00 20 01 01 00"},  // 0x80: the eighth bit goes too
        {1, 2, "F6 5E 00 01 01 01 61"},     // any non-zero is on
        {256, 1, "F6 5E 00 00 01 01 60"},   // no guard, low byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "address " << c.address << " on " << c.on);
        PelcoP p(nullptr, c.address);
        EXPECT_EQ(p.Switch(PTZ_SWITCH, c.on), 0);
        EXPECT_EQ(LastHex(p), c.frame);
    }
}

TEST(PelcoPTest, KnownFrames) {
    const uint8_t replayed[] = {0xA0, 0x05, 0x00, 0x04, 0x20, 0x00, 0xAF, 0x11, 0x77};
    const uint8_t pelcoD[] = {0xFF, 0x01, 0x00, 0x04, 0x20, 0x20, 0x45, 0x5A};
    const struct {
        const char* name;
        uint32_t address;
        std::function<int(PelcoP&)> call;
        const char* frame;
    } cases[] = {
        {"left at rate 32", 1, [](PelcoP& p) { return p.Action(PTZ_LEFT, 32, 32); },
         "A0 01 00 04 20 00 AF 2A"},
        {"up limited to 0x40", 1, [](PelcoP& p) { return p.Action(PTZ_UP, 0, 100); },
         "A0 01 00 08 00 40 AF 46"},
        {"release stop", 1, [](PelcoP& p) { return p.Action(PTZ_STOP, 32, 32); },
         "A0 01 00 00 00 00 AF 0E"},
        {"menu preset", 1, [](PelcoP& p) { return p.PresetAction(PTZ_PRESET_CALL, 95); },
         "A0 01 00 07 00 5F AF 56"},
        {"focus near", 1, [](PelcoP& p) { return p.Focus(PTZ_FOCUS_NEAR, 0); },
         "A0 01 02 00 00 00 AF 0C"},
        {"focus far", 1, [](PelcoP& p) { return p.Focus(PTZ_FOCUS_FAR, 0); },
         "A0 01 01 00 00 00 AF 0F"},
        {"preset past the guard", 256, [](PelcoP& p) { return p.PresetAction(PTZ_PRESET_CALL, 1); },
         "A0 00 00 07 00 01 AF 09"},
        {"replay keeps a wrong check byte", 9, [&](PelcoP& p) { return p.AutoAction(replayed, 8); },
         "A0 05 00 04 20 00 AF 11"},
        // A seven-byte Pelco-D record replayed through Pelco-P still goes out
        // as eight bytes.
        {"replay of a seven-byte record", 9, [&](PelcoP& p) { return p.AutoAction(pelcoD, 7); },
         "FF 01 00 04 20 20 45 5A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PelcoP p(nullptr, c.address);
        EXPECT_EQ(c.call(p), 0);
        EXPECT_EQ(LastHex(p), c.frame);
    }
}
