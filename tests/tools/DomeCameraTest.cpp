#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/Hex.h"
#include "tools/DomeCamera.h"
#include "tools/DomeFrame.h"
#include "tools/VirtualDome.h"

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
constexpr const char* kScanOn = "FF 01 90 00 00 00 91";

constexpr const char* kSetPreset5 = "FF 01 00 03 00 05 09";
constexpr const char* kCallPreset5 = "FF 01 00 07 00 05 0D";

struct Case {
    const char* name;
    std::vector<Step> steps;
    int endMs;
    double pan, tilt;
    bool scanning, switchOn;
    std::string lastRemark;
};

// Start: pan 0, tilt -45. Speed 0x20 moves 48 degrees a second, turbo 150.
// clang-format off
const Case kCases[] = {
    {"held tilt up moves, the stop frame stops it", {{0, kTiltUp20}, {500, kStop}}, 3000, 0, -21, false, false, ""},
    {"speed 0 still moves, at the lowest rate", {{0, "FF 01 00 08 00 00 09"}}, 1000, 0, -43.5, false, false, ""},
    {"pan left wraps below zero", {{0, kPanLeft20}, {1000, kStop}}, 2000, 312, -45, false, false, ""},
    {"P pan speed 0x40 is turbo", {{0, "A0 01 00 02 40 00 AF 4C"}}, 1000, 150, -45, false, false, ""},
    {"D scan keeps going through a stop frame", {{0, kScanOn}, {1000, kStop}}, 2000, 40, -45, true, false, ""},
    {"P scan is preset 99, its stop preset 96", {{0, "A0 01 00 07 00 63 AF 6A"}, {2000, "A0 01 00 07 00 60 AF 69"}}, 4000, 40, -45, false, false, ""},
    {"steering by hand ends a scan", {{0, kScanOn}, {1000, kPanLeft20}, {1500, kStop}}, 3000, 356, -45, false, false, ""},
    {"call returns to the stored angles",
     {{0, kPanLeft20}, {1000, kStop}, {1000, kSetPreset5}, {1000, kTiltUp20}, {2000, kStop}, {2000, kCallPreset5}}, 2000, 312, -45, false, false, ""},
    {"a cleared preset is not called",
     {{0, kSetPreset5}, {0, "FF 01 00 05 00 05 0B"}, {0, kTiltUp20}, {500, kStop}, {500, kCallPreset5}}, 500, 0, -21, false, false, "preset 5 not set"},
    {"switch frame", {{0, "F6 5E 00 01 01 01 61"}}, 0, 0, -45, false, true, ""},
    // Absolute moves run at 94.5 degrees a second.
    {"set pan 350 goes the shorter way, at top speed", {{0, "FF 01 00 4B 88 B8 8C"}}, 100, 350.55, -45, false, false, ""},
    {"set pan arrives and stays", {{0, "FF 01 00 4B 88 B8 8C"}}, 5000, 350, -45, false, false, ""},
    {"set tilt above the horizon stops at it", {{0, "FF 01 00 4D 0B B8 11"}}, 1000, 0, 0, false, false, "tilt limited to the dome's range"},
    {"a stop frame ends an absolute move", {{0, "FF 01 00 4D 0B B8 11"}, {100, kStop}}, 1000, 0, -35.55, false, false, ""},
};
// clang-format on

TEST(DomeCamera, MovesAtTheRateOfTheSpeedByteAndKeepsPresets) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        DomeCamera camera;
        std::string remark;
        for (const Step& s : c.steps) {
            remark = camera.Apply(Command(s.frame), Ms{s.ms});
        }
        camera.AdvanceTo(Ms{c.endMs});
        EXPECT_NEAR(camera.pan(), c.pan, 1e-6);
        EXPECT_NEAR(camera.tilt(), c.tilt, 1e-6);
        EXPECT_EQ(camera.scanning(), c.scanning);
        EXPECT_EQ(camera.switchOn(), c.switchOn);
        EXPECT_EQ(remark, c.lastRemark);
    }
}

// A dome drops a frame whose check byte is wrong.
TEST(VirtualDome, IgnoresAFrameWithABadCheckByte) {
    VirtualDome dome(false);
    const std::vector<uint8_t> up = FromHex("FF 01 00 08 20 20 00"), stop = FromHex(kStop);
    dome.Feed(up.data(), up.size(), Ms{0});
    dome.Feed(stop.data(), stop.size(), Ms{1000});
    ASSERT_NE(dome.Camera(1), nullptr);
    EXPECT_EQ(dome.Camera(1)->tilt(), DomeCamera::kStartTilt);
}

struct AnswerCase {
    const char* name;
    unsigned lineBaud;  // 0: not known
    const char* frame;
    const char* reply;  // "" when the dome keeps quiet
};

// The dome is at address 37 and 9600 baud, pan 0 and tilt -45.
// clang-format off
const AnswerCase kAnswers[] = {
    {"pan query", 9600, "FF 25 00 51 00 00 76", "FF 25 00 59 00 00 7E"},
    {"tilt query, below the horizon", 9600, "FF 25 00 53 00 00 78", "FF 25 00 5B 7B 0C 07"},
    {"zoom query, fully wide", 0, "FF 25 00 55 00 00 7A", "FF 25 00 5D 00 00 82"},
    {"a foreign address", 9600, "FF 01 00 51 00 00 52", ""},
    {"another line speed", 4800, "FF 25 00 51 00 00 76", ""},
    {"a bad check byte", 9600, "FF 25 00 51 00 00 00", ""},
    {"Pelco-P has no query", 9600, "A0 25 00 51 00 00 AF 7B", ""},
    {"a move is not answered", 9600, "FF 25 00 08 20 20 6D", ""},
};
// clang-format on

TEST(VirtualDome, AnswersQueriesAtItsOwnAddressAndSpeedOnly) {
    for (const AnswerCase& c : kAnswers) {
        SCOPED_TRACE(c.name);
        VirtualDome dome(false, 37, 9600);
        const std::vector<uint8_t> frame = FromHex(c.frame);
        dome.Feed(frame.data(), frame.size(), Ms{0}, c.lineBaud);
        EXPECT_EQ(dome.TakeReplies(), FromHex(c.reply));
    }
}

}  // namespace
