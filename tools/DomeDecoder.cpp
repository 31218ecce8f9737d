#include "tools/DomeDecoder.h"

std::vector<DomeEvent> DomeDecoder::Feed(const uint8_t* data, size_t size) {
    m_buffer.insert(m_buffer.end(), data, data + size);
    std::vector<DomeEvent> out;
    Parse(false, out);
    return out;
}

std::vector<DomeEvent> DomeDecoder::Flush() {
    std::vector<DomeEvent> out;
    Parse(true, out);
    ReportSkipped(out);
    return out;
}

DomeDecoder::Candidate DomeDecoder::At(size_t pos) const {
    const size_t avail = m_buffer.size() - pos;
    const uint8_t* p = m_buffer.data() + pos;
    Candidate c;
    switch (p[0]) {
        case kPelcoDSync:
            c.protocol = DomeProtocol::PelcoD;
            break;
        case kPelcoPStart:
            c.protocol = DomeProtocol::PelcoP;
            if (avail >= 7 && p[6] != kPelcoPEnd) {
                return c;
            }
            break;
        case kSwitchSync:
            c.protocol = DomeProtocol::Switch;
            if (avail >= 2 && p[1] != kSwitchSecond) {
                return c;
            }
            break;
        default:
            return c;
    }
    c.match = avail < FrameLength(c.protocol) ? Match::NeedMore : Match::Frame;
    return c;
}

// True when a frame with a good check byte starts at pos; `maybe` is set
// when one could, but its bytes have not all arrived.
bool DomeDecoder::GoodFrameAt(size_t pos, bool& maybe) const {
    const Candidate c = At(pos);
    if (c.match == Match::NeedMore) {
        maybe = true;
        return false;
    }
    return c.match == Match::Frame && DecodeFrame(c.protocol, &m_buffer[pos]).checkOk();
}

void DomeDecoder::Parse(bool final, std::vector<DomeEvent>& out) {
    size_t pos = 0;
    while (pos < m_buffer.size()) {
        const Candidate c = At(pos);
        if (c.match == Match::None) {
            Skip(pos, 1);
            ++pos;
            continue;
        }
        if (c.match == Match::NeedMore) {
            if (!final) {
                break;
            }
            Skip(pos, m_buffer.size() - pos);
            pos = m_buffer.size();
            break;
        }
        const size_t length = FrameLength(c.protocol);
        DomeFrame frame = DecodeFrame(c.protocol, &m_buffer[pos]);
        if (!frame.checkOk()) {
            size_t goodAt = 0;
            bool maybe = false;
            for (size_t k = 1; k < length && goodAt == 0; ++k) {
                if (GoodFrameAt(pos + k, maybe)) {
                    goodAt = k;
                }
            }
            if (goodAt != 0) {
                Skip(pos, goodAt);
                pos += goodAt;
                continue;
            }
            if (maybe && !final) {
                break;
            }
        }
        ReportSkipped(out);
        DomeEvent event;
        event.kind = DomeEvent::Kind::Frame;
        event.frame = std::move(frame);
        out.push_back(std::move(event));
        pos += length;
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(pos));
}

void DomeDecoder::Skip(size_t pos, size_t count) {
    for (size_t i = 0; i < count && m_sample.size() < kSampleSize; ++i) {
        m_sample.push_back(m_buffer[pos + i]);
    }
    m_skipped += count;
}

void DomeDecoder::ReportSkipped(std::vector<DomeEvent>& out) {
    if (m_skipped == 0) {
        return;
    }
    DomeEvent event;
    event.kind = DomeEvent::Kind::Garbage;
    event.skipped = m_skipped;
    event.sample = std::move(m_sample);
    out.push_back(std::move(event));
    m_skipped = 0;
    m_sample.clear();
}
