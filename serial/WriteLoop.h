#pragma once

// The write loop both device backends share: non-blocking writes under a
// whole-write limit and a stall limit. Internal to serial/.

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "serial/SerialDevice.h"

namespace write_loop {

using Clock = std::chrono::steady_clock;

// Milliseconds until `deadline` for poll, 0 once it passed; rounded up, so a
// wait never ends just short of its deadline.
inline int MsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// When a write of `length` bytes begun at `start` must be done by.
inline Clock::time_point Limit(Clock::time_point start, const WriteTimeouts& timeouts,
                               size_t length) {
    return start + std::chrono::milliseconds(uint64_t{timeouts.constantMs} +
                                             uint64_t{timeouts.perByteMs} * uint64_t{length});
}

// Puts `length` bytes through `put(offset)` (one non-blocking call returning
// what write(2) does, errno set), `classify` turning its errno into a result.
// With no room it waits through `wait(ms)`, whose Gone or Failed ends the
// write. TimedOut once `limit` passes or no byte went for `stallAfter` since
// `lastProgress`, which it keeps up to date.
template <typename Put, typename Classify, typename Wait>
DeviceResult PutAll(size_t length, Put put, Classify classify, Wait wait, Clock::time_point limit,
                    std::chrono::milliseconds stallAfter, Clock::time_point& lastProgress) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = put(done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            lastProgress = Clock::now();
            continue;
        }
        const DeviceResult result = n < 0 ? classify(errno) : DeviceResult::WouldBlock;
        if (result == DeviceResult::Interrupted) {
            continue;
        }
        if (result != DeviceResult::WouldBlock) {
            return result;
        }
        const int left = MsUntil(std::min(lastProgress + stallAfter, limit));
        if (left == 0) {
            return DeviceResult::TimedOut;
        }
        const DeviceResult ready = wait(left);
        if (ready == DeviceResult::Gone || ready == DeviceResult::Failed) {
            return ready;
        }
    }
    return DeviceResult::Ok;
}

}  // namespace write_loop
