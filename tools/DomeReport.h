#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/DomeCamera.h"
#include "tools/DomeDecoder.h"
#include "tools/DomeFrame.h"

// One thing a frame asks for, e.g. "tilt up" with its speed byte.
struct DomeAction {
    std::string name;                               // "tilt up", "go to preset"
    std::string detail;                             // for people: "speed 0x20", "95"
    std::vector<std::pair<std::string, int>> args;  // for programs
};

// The actions of a command, in bit order; a standard frame asking for
// nothing is one "stop".
std::vector<DomeAction> DescribeCommand(const DomeCommand& command);

// The actions joined by ", ": "pan left speed 0x20, tilt up speed 0x20", or
// without details "pan left, tilt up".
std::string CommandText(const DomeCommand& command, bool withDetail);

const char* ProtocolName(DomeProtocol protocol);          // "Pelco-D", "Pelco-P", "switch"
std::string HexBytes(const std::vector<uint8_t>& bytes);  // "ff 01 00"
std::string JsonEscape(std::string_view text);

using DomeTime = std::chrono::milliseconds;

// One line per event, without the line end. `remark` is what the camera
// said about the command (empty when nothing); `camera` is its state after.
std::string FrameLine(DomeTime t, const DomeFrame& frame, const DomeCamera& camera,
                      const std::string& remark);
std::string FrameJson(DomeTime t, const DomeFrame& frame, const DomeCamera& camera,
                      const std::string& remark);
std::string GarbageLine(DomeTime t, const DomeEvent& event);
std::string GarbageJson(DomeTime t, const DomeEvent& event);
