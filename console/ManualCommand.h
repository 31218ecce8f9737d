#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Characters of the hex field that count; the rest is ignored.
inline constexpr std::size_t kHexCommandMaxChars = 255;

// The four command and data bytes typed into the hex field: the first four
// space-separated tokens read as hex, low 8 bits each; missing tokens give 0.
std::array<uint8_t, 4> ManualCommandBytes(std::string_view text);
