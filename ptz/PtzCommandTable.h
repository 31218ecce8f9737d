#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "ptz/PtzCodes.h"

// One row of a driver's command table: the operation code and the four command
// and data bytes it puts into the frame. `args` says which of the last two
// bytes come from the call's arguments instead (speeds, preset number).
struct PtzCommand {
    enum Args : uint8_t { kNone = 0, kFirst = 1, kSecond = 2, kBoth = 3 };

    int code;
    std::array<uint8_t, 4> bytes;
    uint8_t args;

    std::array<uint8_t, 4> With(uint8_t first, uint8_t second) const {
        std::array<uint8_t, 4> out = bytes;
        if (args & kFirst) {
            out[2] = first;
        }
        if (args & kSecond) {
            out[3] = second;
        }
        return out;
    }
};

// The row for `code`, or nullptr when the code is not in the table. The wide
// code takes both the signed directions and the unsigned codes unchanged.
inline const PtzCommand* FindCommand(std::span<const PtzCommand> table, int64_t code) {
    for (const PtzCommand& row : table) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

// Both protocols share the extended commands for presets and auxiliary
// outputs; the preset or output number goes into the last data byte.
inline constexpr PtzCommand kPresetCommands[] = {
    {PTZ_PRESET_SET, {0x00, 0x03, 0, 0}, PtzCommand::kSecond},
    {PTZ_PRESET_CALL, {0x00, 0x07, 0, 0}, PtzCommand::kSecond},
    {PTZ_PRESET_CLEAR, {0x00, 0x05, 0, 0}, PtzCommand::kSecond},
    {PTZ_PRESET_CLEAR2, {0x00, 0x05, 0, 0}, PtzCommand::kSecond},
    {PTZ_PRESET_CLEAR3, {0x00, 0x05, 0, 0}, PtzCommand::kSecond},
    {PTZ_AUX_SET, {0x00, 0x09, 0, 0}, PtzCommand::kSecond},
    {PTZ_AUX_CLEAR, {0x00, 0x0B, 0, 0}, PtzCommand::kSecond},
};

inline uint8_t LowByte(uint32_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}
