#pragma once

#include <cstddef>
#include <cstdint>

// One token slot. Wide enough for any token of the texts that are split (the
// hex field keeps 255 characters, a list cell 63), so tokens convert whole.
inline constexpr std::size_t kTokenSlotSize = 256;
using TokenSlot = char[kTokenSlotSize];

// Cuts text at spaces into up to `count` slots. False only for a null slot
// array or text. Slots after the last one stored keep their contents.
bool SplitTokens(TokenSlot* slots, int32_t count, const char* text);

// Reads a token as unsigned hex ("0x"/"0X" prefix allowed), stopping at the
// first non-hex character; 32-bit, so only the last eight digits count.
uint32_t HexToValue(const char* token);
