#pragma once

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

// Ends the whole test program when the guarded scope outlives its deadline,
// so a deadlock shows up as a named failure instead of a run that never ends.
class Watchdog {
public:
    Watchdog(std::string what, int seconds) : m_what(std::move(what)) {
        m_thread = std::thread([this, seconds] {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_over; })) {
                std::fprintf(stderr, "%s: still running after %d s, taken as a hang\n",
                             m_what.c_str(), seconds);
                std::abort();
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_over = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::string m_what;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_over = false;
    std::thread m_thread;
};

// CPU time of the whole process, every thread included, in seconds.
inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

inline double WallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Resident memory of the process in bytes.
inline size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// The number of stress cycles: ORVANE_STRESS_CYCLES when set to a positive
// number, else `fallback`.
inline int StressCycles(int fallback) {
    const char* text = std::getenv("ORVANE_STRESS_CYCLES");
    if (text == nullptr) {
        return fallback;
    }
    const long value = std::strtol(text, nullptr, 10);
    return value > 0 && value <= 10'000'000 ? static_cast<int>(value) : fallback;
}

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; its header is not always installed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
// The address sanitizer holds freed blocks back in a quarantine of hundreds
// of megabytes, which swamps the resident size; its count of live heap bytes
// is what a leak would grow.
inline size_t MemoryInUse() {
    return __sanitizer_get_current_allocated_bytes();
}
#else
inline size_t MemoryInUse() {
    return ResidentBytes();
}
#endif
