// Receive framing over any byte stream, with the input running dry at points
// the input chooses: every frame handed on starts with 0xFF, is at most 7
// bytes, and the bytes kept are exactly the stream's from each start byte.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "serial/ReceiveFramer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReceiveFramer framer;
    std::vector<uint8_t> pending;  // the model of what has been collected
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        // A byte 0xFE marks the queue running dry after this byte.
        const bool dry = i + 1 < size && data[i + 1] == 0xFE;
        const bool complete = framer.Collect(byte);
        if (!pending.empty() || byte == ReceiveFramer::kFrameStart) {
            pending.push_back(byte);
        }
        if (framer.Count() != pending.size() || framer.Count() > ReceiveFramer::kFrameSize) {
            __builtin_trap();
        }
        if (complete != (pending.size() == ReceiveFramer::kFrameSize))
            __builtin_trap();
        if (complete || dry) {
            for (size_t k = 0; k < pending.size(); ++k) {
                if (framer.Frame()[k] != pending[k])
                    __builtin_trap();
            }
            if (framer.Count() > 0 && framer.Frame()[0] != ReceiveFramer::kFrameStart) {
                __builtin_trap();
            }
            framer.Reset();
            pending.clear();
        }
    }
    return 0;
}
