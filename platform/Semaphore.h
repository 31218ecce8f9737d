#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// A process-private counting semaphore with a maximum count. Releasing a full
// semaphore fails, so at most `maxCount` wake-ups can be pending.
class Semaphore {
public:
    enum class WaitResult { Acquired, Timeout };

    Semaphore(uint32_t initialCount, uint32_t maxCount);
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // False when the count is already at its maximum.
    bool Release();
    WaitResult WaitFor(uint32_t timeoutMs);
    uint32_t Count() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    uint32_t m_count;
    const uint32_t m_max;
};
