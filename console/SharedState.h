#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "commandlist/CommandRecord.h"

class PtzBase;
class Semaphore;

// State shared with code that cannot reach the dialog: the press-and-hold
// buttons and the log thread. The dialog writes it through the setters below
// and nothing else writes it, so it cannot drift from the dialog's own copy.

inline constexpr uint32_t kDefaultCtrlRate = 32;

// The senders' records on their way to the list. The last one recorded stays
// readable (Load). Those handed to the log thread wait in order until it
// takes them, so one wake-up lists every record recorded before it, never
// only the last. Records are copied whole under a lock, so no reader sees
// half an old and half a new one.
class LastCommandSlot {
public:
    // More than the list holds: a sender that finds no room sends nothing.
    static constexpr std::size_t kMaxQueued = std::size_t{1} << 20;

    void Store(const CommandRecord& record);
    CommandRecord Load() const;
    bool HasRoom() const;
    // Queues a copy for the log; false, with nothing queued, when full.
    bool Queue(const CommandRecord& record);
    // Hands every queued record, oldest first, to `take` and empties the
    // queue, all under the lock: whatever `take` does with them is done
    // before another thread can take later records.
    template <typename Take>
    void Drain(Take&& take) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_queued.empty()) {
            take(static_cast<const std::vector<CommandRecord>&>(m_queued));
            m_queued.clear();
        }
    }
    void Reset();

private:
    mutable std::mutex m_mutex;
    CommandRecord m_record{};
    std::vector<CommandRecord> m_queued;
};

// Written by the dialog's thread (SetCurrentDriver); read by the hold buttons
// on the same thread. The dialog's current driver, or null.
extern PtzBase* const& g_pPtz;
// Written by the dialog's thread (SetCtrlRate); read by the hold buttons on the
// same thread. Speed of the press-and-hold actions.
extern const uint32_t& g_nCtrlRate;
// Set by the dialog's thread (SetLogSemaphore) before the log thread starts and
// cleared after it is joined; released by the senders, waited on by the log
// thread. Null without one.
extern const std::unique_ptr<Semaphore>& g_hMsgSemaphore;
// Written by the dialog's thread (SetLastTickSlot); read and stepped on the
// same thread by RecordLastCommand. The dialog's m_dwLastCmdTick, or null.
extern uint32_t* const& g_pLastCmdTick;
// Stored and queued by the senders on the dialog's thread (RecordLastCommand,
// the hold buttons); drained by the log thread and the dialog's thread, under
// its own lock.
extern LastCommandSlot g_LastCmd;

void SetCurrentDriver(PtzBase* driver);
void SetCtrlRate(uint32_t rate);
void SetLogSemaphore(std::unique_ptr<Semaphore> semaphore);
void SetLastTickSlot(uint32_t* tick);

// Test seam: puts every shared value back to its start-up state: no driver, the default
// rate, no semaphore, no tick slot, an empty record.
void ResetSharedState();
