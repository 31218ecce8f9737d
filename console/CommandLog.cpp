#include "console/CommandLog.h"

#include "platform/Semaphore.h"
#include "platform/TickCount.h"
#include "ptz/PtzBase.h"

bool RecordLastCommand(PtzBase* driver) {
    if (driver == nullptr || driver->LastFrameRefused()) {
        return false;
    }
    CommandRecord record = g_LastCmd.Load();
    const uint32_t last = g_pLastCmdTick != nullptr ? *g_pLastCmdTick : 0;
    // Unsigned subtraction keeps the interval right across a wrap of the counter.
    record.dwInterval = last != 0 ? GetTickCount() - last : 0;
    if (g_pLastCmdTick != nullptr) {
        *g_pLastCmdTick = GetTickCount();
    }
    uint32_t size = sizeof record.byData;
    record.dwSize = size;
    if (driver->CopyBuffer(record.byData, size) != 0) {
        record.dwSize = size;
    }
    g_LastCmd.Store(record);
    return true;
}

void WaitForSendRoom(const PtzBase& driver) {
    driver.WaitForRoom(std::stop_token{}, kSendRoomWait);
}

void LogThreadProc(const std::atomic<int>& run, Semaphore& semaphore, const LogAppend& append) {
    while (run.load() != 0) {
        if (semaphore.WaitFor(kLogWaitMs) == Semaphore::WaitResult::Acquired) {
            g_LastCmd.Drain([&append](const std::vector<CommandRecord>& queued) {
                for (const CommandRecord& record : queued) {
                    append(record);
                }
            });
        } else {
            SleepMs(kLogIdleSleepMs);
        }
    }
}
