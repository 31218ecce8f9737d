#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/DomeDecoder.h"

enum class LineDirection { Sent, Received };

// One line of the monitor: a frame, or a run of bytes that frames nothing.
struct LineEntry {
    uint32_t ms = 0;  // since the port was opened
    LineDirection direction = LineDirection::Sent;
    DomeEvent event;
};

// The decoded record of a line, bounded: past its capacity the oldest line
// goes. Each write is decoded on its own, as it is one frame; what is
// received is one stream, so a frame split across reads is put together.
class LineTrace {
public:
    // A screenful per second of a busy bus for several minutes, at about
    // 150 bytes a line: some 1.5 MB.
    static constexpr size_t kCapacity = 10000;

    explicit LineTrace(size_t capacity = kCapacity);

    void Add(LineDirection direction, uint32_t ms, const uint8_t* data, size_t size);
    // Settles a partial frame held back from the received stream.
    void FlushReceived(uint32_t ms);
    bool ReceivedPending() const { return m_received.Pending(); }
    void Clear();

    size_t size() const { return m_count; }
    size_t capacity() const { return m_ring.size(); }
    // 0 is the oldest line kept.
    const LineEntry& at(size_t index) const;
    // Lines ever added, those pushed out included.
    uint64_t total() const { return m_total; }

private:
    void Keep(LineDirection direction, uint32_t ms, std::vector<DomeEvent> events);

    std::vector<LineEntry> m_ring;
    size_t m_head = 0;  // the oldest
    size_t m_count = 0;
    uint64_t m_total = 0;
    DomeDecoder m_received;
};
