#include <gtest/gtest.h>

#include <cstring>

#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "tests/ptz/FrameTestUtil.h"

using namespace frametest;

TEST(DriverTest, FramesOutsideTheCommandTable) {
    // A recorded frame goes out as it is: no address, no new check byte, the
    // protocol's own length whatever the length argument says.
    static const uint8_t kRecD[] = {0xFF, 0x01, 0x00, 0x04, 0x20, 0x20, 0x00, 0x99};
    static const uint8_t kRecP[] = {0xA0, 0x05, 0x00, 0x04, 0x20, 0x00, 0xAF, 0x11, 0x77};
    PelcoD d(nullptr, 9);
    PelcoP p(nullptr, 9);
    PelcoP p1(nullptr, 1), p200(nullptr, 200), p32(nullptr, 0x20), p256(nullptr, 256);
    const struct {
        const char* name;
        PtzBase& ptz;
        Call call;
        const char* frame;
    } cases[] = {
        // clang-format off
        {"D flip", d, [](PtzBase& z) { return static_cast<PelcoD&>(z).Flip(0, 0); }, "FF 09 00 07 00 21 31"},
        {"D replay keeps a wrong check byte", d, PTZ_CALL(AutoAction(kRecD, 8)), "FF 01 00 04 20 20 00"},
        {"D replay ignores the length", d, PTZ_CALL(AutoAction(kRecD, 0)), "FF 01 00 04 20 20 00"},
        {"P replay keeps a wrong check byte", p, PTZ_CALL(AutoAction(kRecP, 8)), "A0 05 00 04 20 00 AF 11"},
        {"P replay of a seven-byte record", p, PTZ_CALL(AutoAction(kRecD, 7)), "FF 01 00 04 20 20 00 99"},
        // Pelco-P's switch frame keeps seven bits of its sum and has no address guard.
        {"P switch on", p1, PTZ_CALL(Switch(PTZ_SWITCH, 1)), "F6 5E 00 01 01 01 61"},
        {"P switch off", p1, PTZ_CALL(Switch(PTZ_SWITCH, 0)), "F6 5E 00 01 01 00 60"},
        {"P switch, any non-zero is on", p1, PTZ_CALL(Switch(PTZ_SWITCH, 2)), "F6 5E 00 01 01 01 61"},
        {"P switch, sum 0x128", p200, PTZ_CALL(Switch(PTZ_SWITCH, 1)), "F6 5E 00 C8 01 01 28"},
        {"P switch, sum 0x80", p32, PTZ_CALL(Switch(PTZ_SWITCH, 1)), "F6 5E 00 20 01 01 00"},
        {"P switch at 256, low byte", p256, PTZ_CALL(Switch(PTZ_SWITCH, 1)), "F6 5E 00 00 01 01 60"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(c.ptz), 0);
        EXPECT_EQ(LastHex(c.ptz), c.frame);
    }
}

TEST(DriverTest, PelcoDNewAddressChangesOnlyAddressAndCheckByte) {
    const Call calls[] = {PTZ_CALL(Action(PTZ_RIGHT_UP, 40, 50)),
                          PTZ_CALL(PresetAction(PTZ_PRESET_SET, 12)),
                          PTZ_CALL(ManualAction(1, 2, 3, 4))};
    for (Call call : calls) {
        PelcoD d(nullptr, 1);
        call(d);
        const Bytes first(d.Buffer() + 2, d.Buffer() + 6);
        d.SetAddress(224);
        call(d);
        EXPECT_EQ(LastHex(d), ToHex(PelcoDFrame(224, first)));
    }
}

TEST(DriverTest, CopyBufferAndDeviceType) {
    constexpr uint8_t kFill = 0xEE;
    const struct {
        const char* name;
        int frameLen;  // 0: new driver, 7: Pelco-D frame, 8: Pelco-P frame
        bool nullDest;
        uint32_t room;
        int result;
        uint32_t sizeAfter;
    } cases[] = {
        {"new driver copies nothing", 0, false, 8, 1, 0},
        {"null destination", 7, true, 8, 0, 8},
        {"room one short", 7, false, 6, 0, 6},
        {"room to spare", 7, false, 512, 1, 7},
        {"eight bytes, room one short", 8, false, 7, 0, 7},
        {"eight bytes, room exact", 8, false, 8, 1, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PelcoD d(nullptr, 3);
        PelcoP p(nullptr, 3);
        PtzBase& ptz = c.frameLen == 8 ? static_cast<PtzBase&>(p) : d;
        if (c.frameLen > 0) {
            ptz.Action(PTZ_UP, 20, 20);
        }
        uint8_t dest[PtzBase::kBufferSize];
        std::memset(dest, kFill, sizeof dest);
        uint32_t size = c.room;
        EXPECT_EQ(ptz.CopyBuffer(c.nullDest ? nullptr : dest, size), c.result);
        EXPECT_EQ(size, c.sizeAfter);
        const Bytes copied(dest, dest + c.frameLen);
        EXPECT_EQ(ToHex(copied), c.result == 1 ? LastHex(ptz) : ToHex(Bytes(c.frameLen, kFill)));
        EXPECT_EQ(dest[c.frameLen], kFill) << "wrote past the frame";
    }
    EXPECT_EQ(PelcoD(nullptr, 1).GetDeviceType(), 0);
    EXPECT_EQ(PelcoP(nullptr, 1).GetDeviceType(), 1);
}
