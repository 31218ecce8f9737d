#include <gtest/gtest.h>

#include <memory>

#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "tests/support/Hex.h"

namespace {

using Call = int (*)(PtzBase&);
#define PTZ_CALL(expr) [](PtzBase& p) { return p.expr; }

std::vector<uint8_t> Last(const PtzBase& ptz) {
    return {ptz.Buffer(), ptz.Buffer() + ptz.BufferLen()};
}

const uint8_t kRecD[] = {0xFF, 0x01, 0x00, 0x04, 0x20, 0x20, 0x00, 0x99};

// Frames written out by hand, check bytes included; "" means refused and
// nothing built. The drivers' own tables are checked end to end against the
// dome's decoder; these rows hold what that path cannot reach.
TEST(Driver, BuildsTheseFrames) {
    const struct {
        const char* what;
        bool pelcoP;
        uint32_t address;
        Call call;
        const char* frame;
    } cases[] = {
        // clang-format off
        {"D pan speed, then tilt speed", false, 1, PTZ_CALL(Action(PTZ_LEFT, 0x11, 0x22)), "FF 01 00 04 11 22 38"},
        {"D check byte wraps", false, 224, PTZ_CALL(Action(PTZ_UP, 0x20, 0x20)), "FF E0 00 08 20 20 28"},
        {"D third way to clear", false, 1, PTZ_CALL(PresetAction(PTZ_PRESET_CLEAR3, 8)), "FF 01 00 05 00 08 0E"},
        {"D replay keeps a wrong check byte", false, 9, PTZ_CALL(AutoAction(kRecD, 0)), "FF 01 00 04 20 20 00"},
        {"D negative direction", false, 1, PTZ_CALL(Action(-1, 1, 1)), ""},
        {"P focus near", true, 1, PTZ_CALL(Focus(PTZ_FOCUS_NEAR, 9)), "A0 01 02 00 00 00 AF 0C"},
        {"P speed capped at 64", true, 1, PTZ_CALL(Action(PTZ_LEFT, 0, 65)), "A0 01 00 04 40 00 AF 4A"},
        {"P refuses address 256", true, 256, PTZ_CALL(Action(PTZ_LEFT, 1, 1)), ""},
        {"P replay of a seven-byte record", true, 9, PTZ_CALL(AutoAction(kRecD, 7)), "FF 01 00 04 20 20 00 99"},
        // Pelco-P's switch frame keeps seven bits of its sum.
        {"P switch, sum 0x80", true, 0x20, PTZ_CALL(Switch(PTZ_SWITCH, 2)), "F6 5E 00 20 01 01 00"},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::unique_ptr<PtzBase> ptz;
        if (c.pelcoP) {
            ptz = std::make_unique<PelcoP>(nullptr, c.address);
        } else {
            ptz = std::make_unique<PelcoD>(nullptr, c.address);
        }
        EXPECT_EQ(c.call(*ptz), c.address > 255 ? 1 : 0) << c.what;
        EXPECT_EQ(Last(*ptz), FromHex(c.frame)) << c.what;
    }
}

}  // namespace
