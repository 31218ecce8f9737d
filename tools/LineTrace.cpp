#include "tools/LineTrace.h"

#include <algorithm>

LineTrace::LineTrace(size_t capacity) : m_ring(std::max<size_t>(capacity, 1)) {}

void LineTrace::Add(LineDirection direction, uint32_t ms, const uint8_t* data, size_t size) {
    if (direction == LineDirection::Received) {
        Keep(direction, ms, m_received.Feed(data, size));
        return;
    }
    DomeDecoder write;
    std::vector<DomeEvent> events = write.Feed(data, size);
    std::vector<DomeEvent> rest = write.Flush();
    events.insert(events.end(), std::make_move_iterator(rest.begin()),
                  std::make_move_iterator(rest.end()));
    Keep(direction, ms, std::move(events));
}

void LineTrace::FlushReceived(uint32_t ms) {
    Keep(LineDirection::Received, ms, m_received.Flush());
}

void LineTrace::Clear() {
    m_head = 0;
    m_count = 0;
    m_received = DomeDecoder();
}

const LineEntry& LineTrace::at(size_t index) const {
    return m_ring[(m_head + index) % m_ring.size()];
}

void LineTrace::Keep(LineDirection direction, uint32_t ms, std::vector<DomeEvent> events) {
    for (DomeEvent& event : events) {
        LineEntry& slot = m_ring[(m_head + m_count) % m_ring.size()];
        if (m_count == m_ring.size()) {
            m_head = (m_head + 1) % m_ring.size();
        } else {
            ++m_count;
        }
        slot.ms = ms;
        slot.direction = direction;
        slot.event = std::move(event);
        ++m_total;
    }
}
