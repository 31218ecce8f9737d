#pragma once

#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

inline double ClockSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// ORVANE_STRESS_CYCLES when set to a positive number, else `fallback`.
inline int StressCycles(int fallback) {
    const char* text = std::getenv("ORVANE_STRESS_CYCLES");
    const long value = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 && value <= 10'000'000 ? static_cast<int>(value) : fallback;
}

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; its header is not always installed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
// The address sanitizer's quarantine of freed blocks swamps the resident
// size; its count of live heap bytes is what a leak would grow.
inline size_t MemoryInUse() {
    return __sanitizer_get_current_allocated_bytes();
}
#else
inline size_t MemoryInUse() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
#endif
