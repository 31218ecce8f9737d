#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/Hex.h"
#include "tools/DomeCamera.h"
#include "tools/DomeFrame.h"

namespace {

using Ms = std::chrono::milliseconds;

DomeCommand Command(const std::string& hex) {
    const std::vector<uint8_t> bytes = FromHex(hex);
    const DomeProtocol protocol = bytes[0] == kPelcoPStart  ? DomeProtocol::PelcoP
                                  : bytes[0] == kSwitchSync ? DomeProtocol::Switch
                                                            : DomeProtocol::PelcoD;
    const DomeFrame frame = DecodeFrame(protocol, bytes.data());
    EXPECT_TRUE(frame.checkOk()) << hex;
    return frame.command;
}

struct Step {
    int ms;
    const char* frame;
};

constexpr const char* kTiltUp20 = "FF 01 00 08 20 20 49";
constexpr const char* kPanLeft20 = "FF 01 00 04 20 20 45";
constexpr const char* kStop = "FF 01 00 00 00 00 01";
constexpr const char* kZoomTele = "FF 01 00 20 00 00 21";
constexpr const char* kScanOn = "FF 01 90 00 00 00 91";

struct MotionCase {
    const char* name;
    std::vector<Step> steps;
    int endMs;
    double pan, tilt, zoom, focus, iris;
    bool scanning;
};

// Start: pan 0, tilt -45, zoom 0, focus 50, iris 50. Speed 0x20 moves 48
// degrees a second, 0x3F 94.5, turbo 150; lenses 25 units a second.
// clang-format off
const MotionCase kMotion[] = {
    {"held tilt up moves, the stop frame stops it", {{0, kTiltUp20}, {500, kStop}}, 3000, 0, -21, 0, 50, 50, false},
    {"pan left wraps below zero", {{0, kPanLeft20}, {1000, kStop}}, 2000, 312, -45, 0, 50, 50, false},
    {"D pan speed FF is turbo", {{0, "FF 01 00 02 FF 3F 41"}}, 1000, 150, -45, 0, 50, 50, false},
    {"P pan speed 0x40 is turbo", {{0, "A0 01 00 02 40 00 AF 4C"}}, 1000, 150, -45, 0, 50, 50, false},
    {"P tilt takes its speed from data 4", {{0, "A0 01 00 08 00 20 AF 26"}}, 500, 0, -21, 0, 50, 50, false},
    {"zoom tele runs until stopped", {{0, kZoomTele}, {2000, kStop}}, 5000, 0, -45, 50, 50, 50, false},
    {"focus near", {{0, "FF 01 01 00 00 00 02"}}, 1000, 0, -45, 0, 25, 50, false},
    {"D scan keeps going through a stop frame", {{0, kScanOn}, {1000, kStop}}, 2000, 40, -45, 0, 50, 50, true},
    {"P scan is preset 99, its stop preset 96", {{0, "A0 01 00 07 00 63 AF 6A"}, {2000, "A0 01 00 07 00 60 AF 69"}}, 4000, 40, -45, 0, 50, 50, false},
    {"steering by hand ends a scan", {{0, kScanOn}, {1000, kPanLeft20}, {1500, kStop}}, 3000, 356, -45, 0, 50, 50, false},
};
// clang-format on

TEST(DomeCamera, MovesWhileCommandedAtTheRateOfTheSpeedByte) {
    for (const MotionCase& c : kMotion) {
        SCOPED_TRACE(c.name);
        DomeCamera camera;
        for (const Step& s : c.steps) {
            EXPECT_EQ(camera.Apply(Command(s.frame), Ms{s.ms}), "");
        }
        camera.AdvanceTo(Ms{c.endMs});
        EXPECT_NEAR(camera.pan(), c.pan, 1e-6);
        EXPECT_NEAR(camera.tilt(), c.tilt, 1e-6);
        EXPECT_NEAR(camera.zoom(), c.zoom, 1e-6);
        EXPECT_NEAR(camera.focus(), c.focus, 1e-6);
        EXPECT_NEAR(camera.iris(), c.iris, 1e-6);
        EXPECT_EQ(camera.scanning(), c.scanning);
    }
}

struct StateCase {
    const char* name;
    std::vector<Step> steps;
    double pan, tilt;
    std::string lastRemark;
    std::set<uint8_t> aux;
    bool switchOn;
};

constexpr const char* kSetPreset5 = "FF 01 00 03 00 05 09";
constexpr const char* kCallPreset5 = "FF 01 00 07 00 05 0D";
constexpr const char* kClearPreset5 = "FF 01 00 05 00 05 0B";

// clang-format off
const StateCase kStates[] = {
    {"call returns to the stored angles",
     {{0, kPanLeft20}, {1000, kStop}, {1000, kSetPreset5}, {1000, kTiltUp20}, {2000, kStop}, {2000, kCallPreset5}}, 312, -45, "", {}, false},
    {"a cleared preset is not called",
     {{0, kSetPreset5}, {0, kClearPreset5}, {0, kTiltUp20}, {500, kStop}, {500, kCallPreset5}}, 0, -21, "preset 5 not set", {}, false},
    {"aux outputs switch on and off",
     {{0, "FF 01 00 09 00 02 0C"}, {0, "FF 01 00 09 00 03 0D"}, {0, "FF 01 00 0B 00 02 0E"}}, 0, -45, "", {3}, false},
    {"switch frame", {{0, "F6 5E 00 01 01 01 61"}}, 0, -45, "", {}, true},
    {"unknown extended command is remarked", {{0, "FF E0 00 4F 01 FF 2F"}}, 0, -45, "command unknown to this dome", {}, false},
};
// clang-format on

TEST(DomeCamera, PresetsAuxAndSwitch) {
    for (const StateCase& c : kStates) {
        SCOPED_TRACE(c.name);
        DomeCamera camera;
        std::string remark;
        for (const Step& s : c.steps) {
            remark = camera.Apply(Command(s.frame), Ms{s.ms});
        }
        EXPECT_NEAR(camera.pan(), c.pan, 1e-6);
        EXPECT_NEAR(camera.tilt(), c.tilt, 1e-6);
        EXPECT_EQ(remark, c.lastRemark);
        EXPECT_EQ(camera.auxOn(), c.aux);
        EXPECT_EQ(camera.switchOn(), c.switchOn);
    }
}

}  // namespace
