#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commandlist/CommandRecord.h"
#include "platform/Result.h"

class CxIOFile;

// "DomeConfig.cfg": a 48-byte header of selection indexes and two fields,
// then n 16-byte records; little-endian, no magic or version.
struct PortBlock {
    int32_t reserved;
    int32_t comIndex;      // 0 = COM1 ... 7 = COM8
    int32_t baudIndex;     // 0 = 110 ... 12 = 921600
    int32_t dataBitIndex;  // 0 = 5 ... 3 = 8
    int32_t stopBitIndex;  // 0 = 1, 1 = 2
    int32_t parityIndex;   // 0 = N, 1 = E, 2 = O
};
static_assert(sizeof(PortBlock) == 24);

struct PtzBlock {
    int32_t reserved;
    int32_t modelIndex;    // 0 = PELCO_D, 1 = PELCO_P
    int32_t addressIndex;  // the address, 0 ... 224
};
static_assert(sizeof(PtzBlock) == 12);

struct CommandListHeader {
    PortBlock port;
    PtzBlock ptz;
    uint32_t ctrlRate;
    uint32_t cmdInterval;
    int32_t count;
};
static_assert(sizeof(CommandListHeader) == 48);

inline constexpr const char* kCommandListFileName = "DomeConfig.cfg";

// True when every index lies inside its selection list.
bool HeaderIndexesValid(const CommandListHeader& header);

// Writes header (count = records.size()) and records as a new version of
// `path` through `file` (CxIOFile::OpenReplacing), put in place only when
// every write succeeded. A failure leaves `path` as it was.
orvane::Result SaveCommandList(CxIOFile& file, const std::string& path, CommandListHeader header,
                               const std::vector<CommandRecord>& records);

// The most rows the command list takes: 16 MiB of records.
inline constexpr int32_t kMaxCommandListRows = 1 << 20;

struct CommandListLoad {
    int32_t loaded = 0;   // records returned
    int64_t leftOut = 0;  // records the file holds within its count past the limit
    int64_t missing = 0;  // records the count promises that the file does not hold
};

inline constexpr const char* kNotCommandListFile = "Not a command list file";

// Reads a file. Fails (outputs untouched) when the file cannot be opened
// (only a regular file is opened at all), or with kNotCommandListFile when it
// is shorter than its header, its indexes lie outside their lists or memory
// runs out. Otherwise the records present are returned, at most `count` of
// them and at most `maxRows`, none for a count of 0 or below; memory is
// reserved only for records the file really holds, below the limit. A read
// error among the records ends them early and stays in file.Failure(). Sizes
// are those of the file opened, whatever the path names by then.
orvane::Result LoadCommandList(CxIOFile& file, const std::string& path, CommandListHeader& header,
                               std::vector<CommandRecord>& records, CommandListLoad& load,
                               int32_t maxRows = kMaxCommandListRows);
orvane::Result LoadCommandList(CxIOFile& file, const std::string& path, CommandListHeader& header,
                               std::vector<CommandRecord>& records);
