#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "serial/SerialPort.h"
#include "tools/LineTrace.h"

// The port's tap while the monitor or a scan looks at the line: it copies
// what the monitor thread sees into a batch and asks the dialog's thread,
// once per batch, to take it. Under a flood the batches grow instead of the
// wake-ups; past kMaxPendingBytes the bytes are counted and dropped, so a
// stalled window cannot make the port's thread wait or use memory.
class LineCapture : public LineTap {
public:
    static constexpr size_t kMaxPendingBytes = 1 << 20;

    struct Chunk {
        LineDirection direction;
        uint32_t ms;
        std::vector<uint8_t> bytes;
    };

    // `wake` runs on the port's thread when a batch begins; it only posts.
    explicit LineCapture(std::function<void()> wake) : m_wake(std::move(wake)) {}

    void OnLine(Direction direction, uint32_t msSinceOpen, const uint8_t* data,
                uint32_t size) override;
    // The batch so far; the next byte starts a new one.
    std::vector<Chunk> Take();
    // Bytes dropped because the batch was full, since the last call.
    uint64_t TakeDropped();

private:
    std::function<void()> m_wake;
    std::mutex m_lock;
    std::vector<Chunk> m_pending;
    size_t m_pendingBytes = 0;
    uint64_t m_dropped = 0;
    bool m_wakePosted = false;
};
