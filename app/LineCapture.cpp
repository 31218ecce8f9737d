#include "app/LineCapture.h"

#include <utility>

void LineCapture::OnLine(Direction direction, uint32_t msSinceOpen, const uint8_t* data,
                         uint32_t size) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_pendingBytes + size > kMaxPendingBytes) {
            m_dropped += size;
            return;
        }
        const LineDirection dir =
            direction == Direction::Sent ? LineDirection::Sent : LineDirection::Received;
        // Consecutive reads join one chunk: the decoder reads them as one stream.
        if (dir == LineDirection::Received && !m_pending.empty() &&
            m_pending.back().direction == dir) {
            m_pending.back().bytes.insert(m_pending.back().bytes.end(), data, data + size);
        } else {
            m_pending.push_back({dir, msSinceOpen, std::vector<uint8_t>(data, data + size)});
        }
        m_pendingBytes += size;
        wake = !m_wakePosted;
        m_wakePosted = true;
    }
    if (wake && m_wake) {
        m_wake();
    }
}

std::vector<LineCapture::Chunk> LineCapture::Take() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_pendingBytes = 0;
    m_wakePosted = false;
    return std::exchange(m_pending, {});
}

uint64_t LineCapture::TakeDropped() {
    std::lock_guard<std::mutex> lock(m_lock);
    return std::exchange(m_dropped, 0);
}
