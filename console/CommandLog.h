#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "commandlist/CommandRecord.h"
#include "console/SharedState.h"

class PtzBase;
class Semaphore;

// Fills g_LastCmd from the driver's last frame: the interval since the
// previous command (0 when there was none), then a new stamp in
// *g_pLastCmdTick. A frame longer than eight bytes is not copied: the size
// stays 8 and the bytes stay those of the previous record. Returns false, and
// changes nothing, without a driver or when its port refused the frame: what
// never went out is not listed.
bool RecordLastCommand(PtzBase* driver);

// A command sent from the dialog's thread waits at most this long for room in
// the port's queue, rather than be refused at once by a burst ahead of it: a
// frame's time on the slowest line, and the time after which a line that took
// nothing counts as stalled and lost.
inline constexpr std::chrono::milliseconds kSendRoomWait{1000};
// Waits, within kSendRoomWait, for the driver's port to take one more frame.
void WaitForSendRoom(const PtzBase& driver);

inline constexpr uint32_t kLogWaitMs = 40;
inline constexpr uint32_t kLogIdleSleepMs = 40;

using LogAppend = std::function<void(const CommandRecord&)>;

// The log thread's loop: waits up to 40 ms for a wake-up and hands every
// record queued in g_LastCmd to `append`, oldest first, or sleeps 40 ms when
// none came, until `run` is found clear. A wake-up covers all the records
// queued before it, however many. `append` runs under g_LastCmd's lock and
// must not block on the dialog's thread, which may be joining this one.
void LogThreadProc(const std::atomic<int>& run, Semaphore& semaphore, const LogAppend& append);
