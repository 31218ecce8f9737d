#include "platform/Semaphore.h"

#include <chrono>

Semaphore::Semaphore(uint32_t initialCount, uint32_t maxCount)
    : m_count(initialCount < maxCount ? initialCount : maxCount), m_max(maxCount) {}

bool Semaphore::Release() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_count >= m_max) {
            return false;
        }
        ++m_count;
    }
    m_cond.notify_one();
    return true;
}

Semaphore::WaitResult Semaphore::WaitFor(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [this] { return m_count > 0; })) {
        return WaitResult::Timeout;
    }
    --m_count;
    return WaitResult::Acquired;
}

uint32_t Semaphore::Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}
