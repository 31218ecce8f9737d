#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/DomeFrame.h"

// Turns an English word of a frame's meaning into the reader's language; the
// window passes its translator, the dome's log none.
using TextLookup = std::string (*)(const char* english);

// One thing a frame asks for, e.g. "tilt up" with its speed byte.
struct DomeAction {
    std::string name;                               // "tilt up", "go to preset"
    std::string detail;                             // for people: "speed 0x20", "95"
    std::vector<std::pair<std::string, int>> args;  // for programs
};

// The actions of a command, in bit order; a standard frame asking for
// nothing is one "stop".
std::vector<DomeAction> DescribeCommand(const DomeCommand& command, TextLookup lookup = nullptr);

// The actions joined by ", ": "pan left speed 0x20, tilt up speed 0x20", or
// without details "pan left, tilt up".
std::string CommandText(const DomeCommand& command, bool withDetail, TextLookup lookup = nullptr);
std::string ActionsText(const std::vector<DomeAction>& actions, bool withDetail);

const char* ProtocolName(DomeProtocol protocol);          // "Pelco-D", "Pelco-P", "switch"
std::string HexBytes(const std::vector<uint8_t>& bytes);  // "ff 01 00"
std::string HexBytes(const uint8_t* bytes, size_t size);
