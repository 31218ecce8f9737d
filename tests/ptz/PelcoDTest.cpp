#include "ptz/PelcoD.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "tests/ptz/FrameTestUtil.h"

using namespace frametest;

TEST(PelcoDTest, KnownFrames) {
    const uint8_t replayed[] = {0xFF, 0x01, 0x00, 0x04, 0x20, 0x20, 0x00, 0x99};
    const struct {
        const char* name;
        uint32_t address;
        std::function<int(PelcoD&)> call;
        const char* frame;
    } cases[] = {
        {"left at rate 32", 1, [](PelcoD& d) { return d.Action(PTZ_LEFT, 32, 32); },
         "FF 01 00 04 20 20 45"},
        {"release stop", 1, [](PelcoD& d) { return d.Action(PTZ_STOP, 32, 32); },
         "FF 01 00 00 00 00 01"},
        {"menu preset", 1, [](PelcoD& d) { return d.PresetAction(PTZ_PRESET_CALL, 95); },
         "FF 01 00 07 00 5F 67"},
        {"shot wraps the check byte", 224, [](PelcoD& d) { return d.Shot(); },
         "FF E0 00 4F 01 FF 2F"},
        {"pan speed 300", 1, [](PelcoD& d) { return d.Action(PTZ_UP, 300, 5); },
         "FF 01 00 08 2C 05 3A"},
        {"flip", 1, [](PelcoD& d) { return d.Flip(0, 0); }, "FF 01 00 07 00 21 29"},
        // A recorded frame goes out as it is: no address, no new check byte,
        // seven bytes whatever the length says.
        {"replay keeps a wrong check byte", 9, [&](PelcoD& d) { return d.AutoAction(replayed, 8); },
         "FF 01 00 04 20 20 00"},
        {"replay ignores the length", 9, [&](PelcoD& d) { return d.AutoAction(replayed, 0); },
         "FF 01 00 04 20 20 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PelcoD d(nullptr, c.address);
        EXPECT_EQ(c.call(d), 0);
        EXPECT_EQ(LastHex(d), c.frame);
    }
}

TEST(PelcoDTest, NewAddressChangesOnlyAddressAndCheckByte) {
    const Request requests[] = {
        {Op::Action, PTZ_RIGHT_UP, 40, 50},
        {Op::Preset, PTZ_PRESET_SET, 12},
        {Op::Manual, 0, 0x01020304},
    };
    for (const Request& r : requests) {
        PelcoD d(nullptr, 1);
        Invoke(d, r);
        const Bytes first = LastFrame(d);
        d.SetAddress(224);
        Invoke(d, r);
        const Bytes second = LastFrame(d);
        ASSERT_EQ(second.size(), first.size());
        for (size_t i = 0; i < first.size(); ++i) {
            if (i == 1 || i == 6) {
                EXPECT_NE(second[i], first[i]) << "byte " << i;
            } else {
                EXPECT_EQ(second[i], first[i]) << "byte " << i;
            }
        }
        EXPECT_EQ(second[1], 224);
    }
}
