#include "platform/TickCount.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {
std::atomic<TickSource> g_tickSource{nullptr};
}

uint32_t MonotonicTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

uint32_t GetTickCount() {
    TickSource source = g_tickSource.load(std::memory_order_acquire);
    return source ? source() : MonotonicTickCount();
}

TickSource SetTickSource(TickSource source) {
    return g_tickSource.exchange(source, std::memory_order_acq_rel);
}

void SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
