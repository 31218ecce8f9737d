#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/support/NullDriver.h"

// Records every replayed frame and clears `run` when frame `stopAfter` goes
// out, so a replay can be ended at a known frame. `sent` may be read while
// the replay runs; `frames` only once the sending thread has been joined.
struct RecordingDriver : NullDriver {
    int AutoAction(const uint8_t* frame, uint32_t length) override {
        frames.emplace_back(frame, frame + length);
        if (++sent == stopAfter) {
            run.store(0);
        }
        return 0;
    }

    std::vector<std::vector<uint8_t>> frames;
    std::atomic<size_t> sent{0};
    size_t stopAfter = 0;
    std::atomic<int> run{1};
};
