#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <vector>

#include "commandlist/CommandRecord.h"
#include "platform/Result.h"

class CxFile;
class PtzBase;

// The replay stream: an 8-byte header, then `count` records.
struct ReplayHeader {
    int32_t interval;  // fixed pause in ms; 0 or below: each record's own
    int32_t count;
};
static_assert(sizeof(ReplayHeader) == 8);

inline constexpr uint32_t kDefaultReplayPauseMs = 40;

// A command found more than this (or two of its pauses, if longer) behind its
// time means the machine stalled: suspended, stopped, swapped out. The
// schedule then starts afresh from the late command instead of sending the
// overdue ones. Scheduler delays on a busy machine stay in the tens of ms;
// they are caught up, at half a pause apart, so the run keeps its length.
inline constexpr uint32_t kReplayStallMs = 250;

// Writes the stream from position 0. Only as many records as fit the stream's
// size are written (the stream never grows a buffer it was given), and the
// header's count says how many. Fails when the header cannot be written.
orvane::Result WriteReplayStream(CxFile& stream, uint32_t interval,
                                 const std::vector<CommandRecord>& records);

// Time as the replay sees it. The program uses the steady clock; tests put a
// clock of their own in its place and check schedules without waiting.
class ReplayClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~ReplayClock() = default;
    virtual TimePoint Now() = 0;
    // Returns at `deadline`, or sooner once `abort` is requested.
    virtual void WaitUntil(TimePoint deadline, std::stop_token abort) = 0;
};

// The steady clock; an abort wakes a wait under way at once.
ReplayClock& SteadyReplayClock();

// Told on the replay thread just before a command goes out: its record index
// in the stream (= its row) and the pass, counted from 1.
using ReplayProgress = std::function<void(int32_t record, uint32_t pass)>;

// The replay thread's body. Passes over the stream and hands each record to
// driver->AutoAction. The k-th command is due at the start plus the pauses
// before it (the header's interval if above 0, else the record's, else 40 ms),
// all on one clock, so late wake-ups do not add up over a run; two commands
// never go out less than half a pause apart (kReplayStallMs for a stall).
// Each command waits for room at the driver's port, so a replay faster than
// the line runs at the line's pace and loses nothing.
// Ends when `run` is found clear between passes (the pass under way goes out
// whole, in order) or at once when `abort` is requested, even inside a pause;
// nothing goes out after an abort. Returns at once without a driver or with
// `run` clear.
void RunReplay(PtzBase* driver, CxFile& stream, ReplayClock& clock, const std::atomic<int>& run,
               const std::stop_token& abort, const ReplayProgress& progress);
