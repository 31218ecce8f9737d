#include <gtest/gtest.h>

#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "tests/ptz/FrameTestUtil.h"

using namespace frametest;

namespace {

// One call and the four command/data bytes each protocol must build for it;
// empty means the call builds and sends nothing. Guarded calls are refused by
// Pelco-P above address 255, whatever their code.
struct Row {
    const char* name;
    Request request;
    Bytes pelcoD;
    Bytes pelcoP;
    bool guarded;
};

constexpr bool G = true;
constexpr bool N = false;
constexpr uint8_t s1 = 0x11;
constexpr uint8_t s2 = 0x22;

// Distinct speeds (s1 pan, s2 tilt) catch swapped or duplicated speed
// bytes and show that Pelco-P ignores speed1; lens calls get a speed that must
// not leak into the frame.
// clang-format off
const Row kRows[] = {
    {"pan left",   {Op::Action, PTZ_LEFT, s1, s2},       {0, 0x04, s1, s2}, {0, 0x04, s2, 0}, G},
    {"pan right",  {Op::Action, PTZ_RIGHT, s1, s2},      {0, 0x02, s1, s2}, {0, 0x02, s2, 0}, G},
    {"tilt up",    {Op::Action, PTZ_UP, s1, s2},         {0, 0x08, s1, s2}, {0, 0x08, 0, s2}, G},
    {"tilt down",  {Op::Action, PTZ_DOWN, s1, s2},       {0, 0x10, s1, s2}, {0, 0x10, 0, s2}, G},
    {"left up",    {Op::Action, PTZ_LEFT_UP, s1, s2},    {0, 0x0C, s1, s2}, {0, 0x0C, s2, s2}, G},
    {"right up",   {Op::Action, PTZ_RIGHT_UP, s1, s2},   {0, 0x0A, s1, s2}, {0, 0x0A, s2, s2}, G},
    {"left down",  {Op::Action, PTZ_LEFT_DOWN, s1, s2},  {0, 0x14, s1, s2}, {0, 0x14, s2, s2}, G},
    {"right down", {Op::Action, PTZ_RIGHT_DOWN, s1, s2}, {0, 0x12, s1, s2}, {0, 0x12, s2, s2}, G},
    {"action stop", {Op::Action, PTZ_STOP, s1, s2},      {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"speeds > 255", {Op::Action, PTZ_RIGHT, 300, 511}, {0, 0x02, 0x2C, 0xFF}, {0, 0x02, 0x40, 0}, G},
    {"zoom tele",  {Op::Zoom, PTZ_ZOOM_TELE, 9},   {0, 0x20, 0, 0}, {0, 0x20, 0, 0}, G},
    {"zoom wide",  {Op::Zoom, PTZ_ZOOM_WIDE, 9},   {0, 0x40, 0, 0}, {0, 0x40, 0, 0}, G},
    {"zoom stop",  {Op::Zoom, PTZ_ZOOM_STOP, 9},   {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"focus near", {Op::Focus, PTZ_FOCUS_NEAR, 9}, {0x01, 0, 0, 0}, {0x02, 0, 0, 0}, G},
    {"focus far",  {Op::Focus, PTZ_FOCUS_FAR, 9},  {0, 0x80, 0, 0}, {0x01, 0, 0, 0}, G},
    {"focus stop", {Op::Focus, PTZ_FOCUS_STOP, 9}, {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"iris close", {Op::Iris, PTZ_IRIS_CLOSE, 4},  {0x04, 0, 0, 0}, {0x08, 0, 0, 0}, G},
    {"iris open",  {Op::Iris, PTZ_IRIS_OPEN, 4},   {0x02, 0, 0, 0}, {0x04, 0, 0, 0}, G},
    {"iris stop",  {Op::Iris, PTZ_IRIS_STOP, 4},   {0, 0, 0, 0}, {0, 0, 0, 0}, G},
    {"preset set",   {Op::Preset, PTZ_PRESET_SET, 7},     {0, 0x03, 0, 7}, {0, 0x03, 0, 7}, N},
    {"preset call",  {Op::Preset, PTZ_PRESET_CALL, 95},   {0, 0x07, 0, 95}, {0, 0x07, 0, 95}, N},
    {"preset clear", {Op::Preset, PTZ_PRESET_CLEAR, 8},   {0, 0x05, 0, 8}, {0, 0x05, 0, 8}, N},
    {"clear (99)",   {Op::Preset, PTZ_PRESET_CLEAR2, 8},  {0, 0x05, 0, 8}, {0, 0x05, 0, 8}, N},
    {"clear (100)",  {Op::Preset, PTZ_PRESET_CLEAR3, 8},  {0, 0x05, 0, 8}, {0, 0x05, 0, 8}, N},
    {"aux set",      {Op::Preset, PTZ_AUX_SET, 2},        {0, 0x09, 0, 2}, {0, 0x09, 0, 2}, N},
    {"aux clear",    {Op::Preset, PTZ_AUX_CLEAR, 2},      {0, 0x0B, 0, 2}, {0, 0x0B, 0, 2}, N},
    {"id low byte",  {Op::Preset, PTZ_PRESET_CALL, 0x1FE}, {0, 7, 0, 0xFE}, {0, 7, 0, 0xFE}, N},
    {"scan on",      {Op::Auto, PTZ_AUTO_SCAN_ON, 3},     {0x90, 0, 0, 0}, {0, 0x07, 0, 99}, N},
    {"scan off",     {Op::Auto, PTZ_AUTO_SCAN_OFF, 3},    {0x10, 0, 0, 0}, {0, 0, 0, 0}, N},
    {"scan stop",    {Op::Auto, PTZ_AUTO_SCAN_STOP, 3},   {}, {0, 0x07, 0, 96}, N},
    {"stop",         {Op::Stop},                          {0, 0, 0, 0}, {}, N},
    {"shot",         {Op::Shot},                          {0, 0x4F, 0x01, 0xFF}, {}, N},
    {"manual", {Op::Manual, 0, 0x12345678}, {0x12, 0x34, 0x56, 0x78}, {0x12, 0x34, 0x56, 0x78}, N},
    // Codes outside the tables.
    {"pelco-d switch",         {Op::Switch, PTZ_SWITCH, 1},         {}, {}, N},
    {"switch other code",      {Op::Switch, PTZ_SWITCH + 1, 1},     {}, {}, N},
    {"negative direction",     {Op::Action, -1, 1, 1},              {}, {}, G},
    {"zoom code as direction", {Op::Action, PTZ_ZOOM_TELE, 1, 1},   {}, {}, G},
    {"zoom stop as direction", {Op::Action, PTZ_ZOOM_STOP, 1, 1},   {}, {}, G},
    {"focus code as zoom",     {Op::Zoom, PTZ_FOCUS_NEAR},          {}, {}, G},
    {"stop code as zoom",      {Op::Zoom, PTZ_STOP},                {}, {}, G},
    {"iris code as focus",     {Op::Focus, PTZ_IRIS_OPEN},          {}, {}, G},
    {"zoom code as iris",      {Op::Iris, PTZ_ZOOM_WIDE},           {}, {}, G},
    {"preset code 95",         {Op::Preset, 95, 1},                 {}, {}, N},
    {"preset code 103",        {Op::Preset, 103, 1},                {}, {}, N},
    {"preset code > INT_MAX",  {Op::Preset, 0x80000060, 1},         {}, {}, N},
    {"auto code 114",          {Op::Auto, 114},                     {}, {}, N},
    {"replay of null",         {Op::ReplayNull},                    {}, {}, N},
};
// clang-format on

// 224 makes most Pelco-D check bytes wrap; above 255 only the low byte counts
// (and Pelco-P's guard steps in).
const uint32_t kAddresses[] = {0, 1, 200, 224, 255, 256, 0xFFFFFFFF};

// Runs `row` on a new driver and on one that holds an earlier frame.
void Check(PtzBase& fresh, PtzBase& used, const Row& row, const Bytes& cmd, bool refused,
           const Bytes& expected) {
    const std::string before = LastHex(used);
    const int result = refused ? 1 : 0;
    EXPECT_EQ(Invoke(fresh, row.request), result);
    EXPECT_EQ(Invoke(used, row.request), result);
    if (refused || cmd.empty()) {
        EXPECT_EQ(fresh.BufferLen(), 0u);
        EXPECT_EQ(fresh.Buffer()[0], 0) << "a new driver's buffer was written";
        EXPECT_EQ(LastHex(used), before);
    } else {
        EXPECT_EQ(LastHex(fresh), Hex(expected));
        EXPECT_EQ(LastHex(used), Hex(expected));
    }
}

}  // namespace

TEST(CommandTableTest, PelcoD) {
    for (uint32_t address : kAddresses) {
        for (const Row& row : kRows) {
            SCOPED_TRACE(testing::Message() << row.name << " at address " << address);
            PelcoD fresh(nullptr, address);
            PelcoD used(nullptr, address);
            used.ManualAction(0xDE, 0xAD, 0xBE, 0xEF);
            Check(fresh, used, row, row.pelcoD, false,
                  row.pelcoD.empty() ? Bytes{} : PelcoDFrame(address, row.pelcoD));
        }
    }
}

TEST(CommandTableTest, PelcoP) {
    for (uint32_t address : kAddresses) {
        for (const Row& row : kRows) {
            if (row.request.op == Op::Switch && row.request.code == PTZ_SWITCH) {
                continue;  // a frame of its own layout, checked in PelcoPTest
            }
            SCOPED_TRACE(testing::Message() << row.name << " at address " << address);
            PelcoP fresh(nullptr, address);
            PelcoP used(nullptr, address);
            used.ManualAction(0xDE, 0xAD, 0xBE, 0xEF);
            Check(fresh, used, row, row.pelcoP, row.guarded && address > 255,
                  row.pelcoP.empty() ? Bytes{} : PelcoPFrame(address, row.pelcoP));
        }
    }
}
