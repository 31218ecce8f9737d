#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "commandlist/CommandRecord.h"

class PtzBase;
class Semaphore;

// State shared with code that cannot reach the dialog (the press-and-hold
// buttons and the log thread). The dialog keeps it up to date.
extern PtzBase* g_pPtz;             // the dialog's current driver, or null
extern uint32_t g_nCtrlRate;        // speed of the press-and-hold actions
extern Semaphore* g_hMsgSemaphore;  // wakes the log thread; null without one
extern uint32_t* g_pLastCmdTick;    // the dialog's m_dwLastCmdTick, or null

// The one record slot between the senders and the log thread. It is handed
// over whole under a lock, so the log never lists half an old and half a new
// record.
class LastCommandSlot {
public:
    void Store(const CommandRecord& record);
    CommandRecord Load() const;

private:
    mutable std::mutex m_mutex;
    CommandRecord m_record{};
};

extern LastCommandSlot g_LastCmd;

// Fills g_LastCmd from the driver's last frame: the interval since the
// previous command (0 when there was none), then a new stamp in
// *g_pLastCmdTick. A frame longer than eight bytes is not copied: the size
// stays 8 and the bytes stay those of the previous record.
void RecordLastCommand(PtzBase* driver);

inline constexpr uint32_t kLogWaitMs = 40;
inline constexpr uint32_t kLogIdleSleepMs = 40;

using LogAppend = std::function<void(const CommandRecord&)>;

// The log thread's loop: waits up to 40 ms for a wake-up and hands a copy of
// g_LastCmd to `append`, or sleeps 40 ms when none came, until `run` is found
// clear. `append` must not block on the dialog's thread, which may be joining
// this one.
void LogThreadProc(const std::atomic<int>& run, Semaphore& semaphore, const LogAppend& append);
