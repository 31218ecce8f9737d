#include <gtest/gtest.h>

#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "tests/ptz/FrameTestUtil.h"

using namespace frametest;

namespace {

// G: Pelco-P refuses the call above address 255; D: Pelco-D only (Pelco-P's
// switch frame has a layout of its own).
enum Kind { N, G, D };

// One call and the four command/data bytes each protocol must build for it;
// empty means the call builds and sends nothing.
struct Row {
    const char* name;
    Call call;
    Bytes pelcoD;
    Bytes pelcoP;
    Kind kind;
};

// Distinct pan/tilt speeds catch swapped bytes and show that Pelco-P ignores
// speed1; lens calls get a speed that must not leak into the frame.
// clang-format off
const Row kRows[] = {
    {"pan left",   PTZ_CALL(Action(PTZ_LEFT, 0x11, 0x22)),       {0, 0x04, 0x11, 0x22}, {0, 0x04, 0x22, 0}, G},
    {"pan right",  PTZ_CALL(Action(PTZ_RIGHT, 0x11, 0x22)),      {0, 0x02, 0x11, 0x22}, {0, 0x02, 0x22, 0}, G},
    {"tilt up",    PTZ_CALL(Action(PTZ_UP, 0x11, 0x22)),         {0, 0x08, 0x11, 0x22}, {0, 0x08, 0, 0x22}, G},
    {"tilt down",  PTZ_CALL(Action(PTZ_DOWN, 0x11, 0x22)),       {0, 0x10, 0x11, 0x22}, {0, 0x10, 0, 0x22}, G},
    {"left up",    PTZ_CALL(Action(PTZ_LEFT_UP, 0x11, 0x22)),    {0, 0x0C, 0x11, 0x22}, {0, 0x0C, 0x22, 0x22}, G},
    {"right up",   PTZ_CALL(Action(PTZ_RIGHT_UP, 0x11, 0x22)),   {0, 0x0A, 0x11, 0x22}, {0, 0x0A, 0x22, 0x22}, G},
    {"left down",  PTZ_CALL(Action(PTZ_LEFT_DOWN, 0x11, 0x22)),  {0, 0x14, 0x11, 0x22}, {0, 0x14, 0x22, 0x22}, G},
    {"right down", PTZ_CALL(Action(PTZ_RIGHT_DOWN, 0x11, 0x22)), {0, 0x12, 0x11, 0x22}, {0, 0x12, 0x22, 0x22}, G},
    {"action stop", PTZ_CALL(Action(PTZ_STOP, 0x11, 0x22)),      {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"P speed 63, speed1 ignored", PTZ_CALL(Action(PTZ_LEFT, 1000, 63)), {0, 0x04, 0xE8, 63}, {0, 0x04, 63, 0}, G},
    {"P speed 64 is the limit", PTZ_CALL(Action(PTZ_RIGHT_UP, 0, 64)),   {0, 0x0A, 0, 64}, {0, 0x0A, 64, 64}, G},
    {"P speed 65 limited",     PTZ_CALL(Action(PTZ_LEFT, 0, 65)),       {0, 0x04, 0, 65}, {0, 0x04, 64, 0}, G},
    {"P speed 1000 limited",   PTZ_CALL(Action(PTZ_DOWN, 7, 1000)),     {0, 0x10, 7, 0xE8}, {0, 0x10, 0, 64}, G},
    {"speeds > 255 wrap", PTZ_CALL(Action(PTZ_RIGHT, 300, 511)), {0, 0x02, 0x2C, 0xFF}, {0, 0x02, 0x40, 0}, G},
    {"zoom tele",  PTZ_CALL(Zoom(PTZ_ZOOM_TELE, 9)),   {0, 0x20, 0, 0}, {0, 0x20, 0, 0}, G},
    {"zoom wide",  PTZ_CALL(Zoom(PTZ_ZOOM_WIDE, 9)),   {0, 0x40, 0, 0}, {0, 0x40, 0, 0}, G},
    {"zoom stop",  PTZ_CALL(Zoom(PTZ_ZOOM_STOP, 9)),   {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"focus near", PTZ_CALL(Focus(PTZ_FOCUS_NEAR, 9)), {0x01, 0, 0, 0}, {0x02, 0, 0, 0}, G},
    {"focus far",  PTZ_CALL(Focus(PTZ_FOCUS_FAR, 9)),  {0, 0x80, 0, 0}, {0x01, 0, 0, 0}, G},
    {"focus stop", PTZ_CALL(Focus(PTZ_FOCUS_STOP, 9)), {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"iris close", PTZ_CALL(Iris(PTZ_IRIS_CLOSE, 4)),  {0x04, 0, 0, 0}, {0x08, 0, 0, 0}, G},
    {"iris open",  PTZ_CALL(Iris(PTZ_IRIS_OPEN, 4)),   {0x02, 0, 0, 0}, {0x04, 0, 0, 0}, G},
    {"iris stop",  PTZ_CALL(Iris(PTZ_IRIS_STOP, 4)),   {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"preset set",   PTZ_CALL(PresetAction(PTZ_PRESET_SET, 7)),    {0, 0x03, 0, 7}, {0, 0x03, 0, 7}, N},
    {"preset call",  PTZ_CALL(PresetAction(PTZ_PRESET_CALL, 95)),  {0, 0x07, 0, 95}, {0, 0x07, 0, 95}, N},
    {"preset clear", PTZ_CALL(PresetAction(PTZ_PRESET_CLEAR, 8)),  {0, 0x05, 0, 8}, {0, 0x05, 0, 8}, N},
    {"clear (99)",   PTZ_CALL(PresetAction(PTZ_PRESET_CLEAR2, 8)), {0, 0x05, 0, 8}, {0, 0x05, 0, 8}, N},
    {"clear (100)",  PTZ_CALL(PresetAction(PTZ_PRESET_CLEAR3, 8)), {0, 0x05, 0, 8}, {0, 0x05, 0, 8}, N},
    {"aux set",      PTZ_CALL(PresetAction(PTZ_AUX_SET, 2)),       {0, 0x09, 0, 2}, {0, 0x09, 0, 2}, N},
    {"aux clear",    PTZ_CALL(PresetAction(PTZ_AUX_CLEAR, 2)),     {0, 0x0B, 0, 2}, {0, 0x0B, 0, 2}, N},
    {"id low byte",  PTZ_CALL(PresetAction(PTZ_PRESET_CALL, 0x1FE)), {0, 7, 0, 0xFE}, {0, 7, 0, 0xFE}, N},
    {"scan on",      PTZ_CALL(Auto(PTZ_AUTO_SCAN_ON, 3)),   {0x90, 0, 0, 0}, {0, 0x07, 0, 99}, N},
    {"scan off",     PTZ_CALL(Auto(PTZ_AUTO_SCAN_OFF, 3)),  {0x10, 0, 0, 0}, {0, 0, 0, 0}, N},
    {"scan stop",    PTZ_CALL(Auto(PTZ_AUTO_SCAN_STOP, 3)), {}, {0, 0x07, 0, 96}, N},
    {"stop",         PTZ_CALL(Stop()), {0, 0, 0, 0}, {}, N},
    {"shot",         PTZ_CALL(Shot()), {0, 0x4F, 0x01, 0xFF}, {}, N},
    {"manual",       PTZ_CALL(ManualAction(0x12, 0x34, 0x56, 0x78)), {0x12, 0x34, 0x56, 0x78}, {0x12, 0x34, 0x56, 0x78}, N},
    // Codes outside the tables.
    {"pelco-d switch",         PTZ_CALL(Switch(PTZ_SWITCH, 1)),     {}, {}, D},
    {"switch other code",      PTZ_CALL(Switch(PTZ_SWITCH + 1, 1)), {}, {}, N},
    {"negative direction",     PTZ_CALL(Action(-1, 1, 1)),          {}, {}, G},
    {"zoom code as direction", PTZ_CALL(Action(PTZ_ZOOM_TELE, 1, 1)), {}, {}, G},
    {"focus code as zoom",     PTZ_CALL(Zoom(PTZ_FOCUS_NEAR, 1)),   {}, {}, G},
    {"preset code > INT_MAX",  PTZ_CALL(PresetAction(0x80000060, 1)), {}, {}, N},
    {"auto code 114",          PTZ_CALL(Auto(114, 1)),              {}, {}, N},
    {"replay of null",         PTZ_CALL(AutoAction(nullptr, 8)),    {}, {}, N},
};
// clang-format on

// 224 makes most Pelco-D check bytes wrap; above 255 only the low byte counts
// (and Pelco-P's guard steps in).
const uint32_t kAddresses[] = {0, 1, 200, 224, 256};

// Runs the row on a new driver and on one holding an earlier frame; drivers
// have no port, so a built frame still counts as sent.
template <typename Driver>
void Check(const Row& row, uint32_t address, const Bytes& cmd, bool refused,
           Bytes (*frame)(uint32_t, const Bytes&)) {
    SCOPED_TRACE(testing::Message() << row.name << " at address " << address);
    Driver fresh(nullptr, address);
    Driver used(nullptr, address);
    used.ManualAction(0xDE, 0xAD, 0xBE, 0xEF);
    const std::string before = LastHex(used);
    EXPECT_EQ(row.call(fresh), refused ? 1 : 0);
    EXPECT_EQ(row.call(used), refused ? 1 : 0);
    if (refused || cmd.empty()) {
        EXPECT_EQ(fresh.BufferLen(), 0u);
        EXPECT_EQ(fresh.Buffer()[0], 0) << "a new driver's buffer was written";
        EXPECT_EQ(LastHex(used), before);
    } else {
        EXPECT_EQ(LastHex(fresh), ToHex(frame(address, cmd)));
        EXPECT_EQ(LastHex(used), ToHex(frame(address, cmd)));
    }
}

}  // namespace

TEST(CommandTableTest, EveryRowAtEveryAddress) {
    for (uint32_t address : kAddresses) {
        for (const Row& row : kRows) {
            Check<PelcoD>(row, address, row.pelcoD, false, PelcoDFrame);
            if (row.kind != D) {
                Check<PelcoP>(row, address, row.pelcoP, row.kind == G && address > 255,
                              PelcoPFrame);
            }
        }
    }
}
