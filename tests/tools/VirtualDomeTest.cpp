#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/Hex.h"
#include "tools/VirtualDome.h"

namespace {

using Ms = std::chrono::milliseconds;

std::vector<std::string> Feed(VirtualDome& dome, const std::string& hex, int ms) {
    const std::vector<uint8_t> bytes = FromHex(hex);
    return dome.Feed(bytes.data(), bytes.size(), Ms{ms});
}

TEST(VirtualDome, EachAddressHasItsOwnCameraAndBadFramesMoveNothing) {
    VirtualDome dome(false);
    Feed(dome, "FF 01 00 08 20 20 49", 0);  // address 1 tilts up
    Feed(dome, "FF 02 00 04 20 20 46", 0);  // address 2 pans left
    Feed(dome, "FF 03 00 08 20 20 00", 0);  // address 3: tilt up, bad check byte
    Feed(dome, "FF 01 00 00 00 00 01", 500);
    Feed(dome, "FF 02 00 00 00 00 02", 1000);
    Feed(dome, "FF 03 00 00 00 00 03", 1000);
    ASSERT_TRUE(dome.Camera(1) && dome.Camera(2) && dome.Camera(3));
    EXPECT_EQ(dome.Camera(4), nullptr);
    EXPECT_DOUBLE_EQ(dome.Camera(1)->tilt(), -21);
    EXPECT_DOUBLE_EQ(dome.Camera(2)->pan(), 312);
    EXPECT_DOUBLE_EQ(dome.Camera(3)->tilt(), DomeCamera::kStartTilt);
}

#define START_CAMERA                                                           \
    R"("camera":{"pan":0.0,"tilt":-45.0,"zoom":0.0,"focus":50.0,"iris":50.0,)" \
    R"("scanning":false,"powered":true,"switch":false,"aux":[]}})"

TEST(VirtualDome, PrintsOneLinePerEvent) {
    const struct {
        const char* name;
        bool json;
        const char* bytes;
        int ms;
        std::string expected;
    } cases[] = {
        {"json: tilt up", true, "FF 01 00 08 20 20 49", 1234,
         R"({"t_ms":1234,"event":"frame","protocol":"pelco-d","address":1,)"
         R"("bytes":"ff 01 00 08 20 20 49","check":"ok","expected_check":"49",)"
         R"("command":"tilt up","text":"tilt up speed 0x20","args":{"tilt_speed":32},)" START_CAMERA},
        {"json: bad P preset call with remark", true, "A0 01 00 07 00 09 AF 01", 5,
         R"({"t_ms":5,"event":"frame","protocol":"pelco-p","address":1,)"
         R"("bytes":"a0 01 00 07 00 09 af 01","check":"bad","expected_check":"00",)"
         R"("command":"go to preset","text":"go to preset 9","args":{"preset":9},)"
         R"("remark":"ignored by the dome",)" START_CAMERA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualDome dome(c.json);
        std::vector<std::string> lines = Feed(dome, c.bytes, c.ms);
        for (const std::string& l : dome.Flush(Ms{c.ms})) {
            lines.push_back(l);
        }
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.expected);
    }
}

}  // namespace
