#pragma once

#include <chrono>
#include <cstdint>
#include <stop_token>

#include "commandlist/Replay.h"

using ReplaySleep = void (*)(uint32_t ms);

// Time that passes only in the pauses handed to a stand-in sleep, each pause
// whole as it comes (an abort is seen once the sleep returns).
class SleepReplayClock final : public ReplayClock {
public:
    explicit SleepReplayClock(ReplaySleep sleep) : m_sleep(sleep) {}
    TimePoint Now() override { return m_now; }
    void WaitUntil(TimePoint deadline, std::stop_token) override {
        if (deadline > m_now) {
            m_sleep(static_cast<uint32_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - m_now).count()));
            m_now = deadline;
        }
    }

private:
    ReplaySleep m_sleep;
    TimePoint m_now{};
};
