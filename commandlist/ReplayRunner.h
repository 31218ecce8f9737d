#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <thread>

#include "commandlist/Replay.h"
#include "platform/Result.h"

class CxFile;
class PtzBase;

// One replay on a thread of its own, driven from one owning thread (the
// dialog's): Start, then either RequestStop and, once `finished` has been
// told, Join; or Abort. The driver and the stream must outlive the replay.
class ReplayRunner {
public:
    using Finished = std::function<void()>;

    explicit ReplayRunner(ReplayClock& clock = SteadyReplayClock());
    ~ReplayRunner();  // aborts
    ReplayRunner(const ReplayRunner&) = delete;
    ReplayRunner& operator=(const ReplayRunner&) = delete;

    // Starts passing over the stream. `progress` and then `finished` (once,
    // as the thread's last act) are called on the replay thread and must not
    // block on the owning thread. Fails, with nothing started, while a replay
    // still runs or when no thread can be made.
    orvane::Result Start(PtzBase* driver, CxFile& stream, ReplayProgress progress = {},
                         Finished finished = {});
    // Returns at once; the pass under way still goes out whole, in order.
    void RequestStop();
    // Interrupts the pause under way and returns once the thread has ended;
    // nothing goes out after it. Never from `progress` or `finished`.
    void Abort();
    // Reaps a thread that has ended (waits for one that has not).
    void Join();

    // A thread exists that has not come to its end.
    bool Running() const { return m_thread.joinable() && !m_ended.load(); }
    bool Stopping() const { return Running() && m_run.load() == 0; }
    // The command last sent (-1 before the first) and its pass (from 1).
    int32_t Record() const { return m_record.load(); }
    uint32_t Pass() const { return m_pass.load(); }

private:
    ReplayClock* m_clock;
    std::atomic<int> m_run{0};
    std::atomic<bool> m_ended{false};
    std::atomic<int32_t> m_record{-1};
    std::atomic<uint32_t> m_pass{0};
    std::stop_source m_abort;
    std::thread m_thread;
};
