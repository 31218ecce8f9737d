#pragma once

#include <cstdint>
#include <type_traits>

// One recorded command: the row of the command list, the record of the
// command list file and of the replay stream. Little-endian, 16 bytes.
struct CommandRecord {
    uint32_t dwInterval;  // milliseconds since the previous command
    uint32_t dwSize;      // valid bytes at the start of byData
    uint8_t byData[8];
};
static_assert(sizeof(CommandRecord) == 16);
static_assert(std::is_trivially_copyable_v<CommandRecord>);
