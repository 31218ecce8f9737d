#pragma once

#include <array>
#include <cstdint>
#include <string>

// The tilt-up frame of a Pelco-D camera at address 1 at speed 32, and the
// stop frame: what a press and release of "Up" put on the line.
inline constexpr std::array<uint8_t, 7> kUpFrame = {0xFF, 0x01, 0x00, 0x08, 0x20, 0x20, 0x49};
inline constexpr std::array<uint8_t, 7> kStopFrame = {0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01};

// The Pelco-D frame a list file row `row` holds: a pan at a speed that
// changes from row to row, so neighbouring frames differ.
std::array<uint8_t, 7> ListRowFrame(int row);

// Writes a command list file by hand, byte for byte, so the input does not
// come from the code being measured: COM1, 4800 8N1, Pelco-D at address 1,
// "Ctrl Rate" 32, the given "Cmd Interval Time" and `rows` records of
// ListRowFrame with recorded intervals of 1 to 100 ms.
bool WriteListFile(const std::string& path, int rows, uint32_t cmdInterval);

// 48 bytes of header and 16 per record.
inline constexpr long ListFileSize(int rows) {
    return 48 + 16 * static_cast<long>(rows);
}
