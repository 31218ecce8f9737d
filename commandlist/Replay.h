#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "commandlist/CommandRecord.h"

class CxFile;
class PtzBase;

// The replay stream: an 8-byte header, then `count` records.
struct ReplayHeader {
    int32_t interval;  // fixed pause in ms; 0 or below: each record's own
    int32_t count;
};
static_assert(sizeof(ReplayHeader) == 8);

inline constexpr uint32_t kDefaultReplayPauseMs = 40;

// Writes the stream from position 0. Only as many records as fit the stream's
// size are written (the stream never grows a buffer it was given), and the
// header's count says how many. False when the header cannot be written.
bool WriteReplayStream(CxFile& stream, uint32_t interval,
                       const std::vector<CommandRecord>& records);

using ReplaySleep = void (*)(uint32_t ms);

// The replay thread's body: passes over the stream, sleeping before each
// record (the header's interval if above 0, else the record's, else 40 ms)
// and handing it to driver->AutoAction, until `run` is found clear between
// passes. Returns at once without a driver or with `run` clear.
void RunReplay(PtzBase* driver, CxFile& stream, const std::atomic<int>& run, ReplaySleep sleep);
