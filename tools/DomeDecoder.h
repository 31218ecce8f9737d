#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/DomeFrame.h"

struct DomeEvent {
    enum class Kind { Frame, Garbage };

    Kind kind = Kind::Frame;
    DomeFrame frame;              // Kind::Frame
    size_t skipped = 0;           // Kind::Garbage: bytes thrown away
    std::vector<uint8_t> sample;  // Kind::Garbage: the first of them
};

// Splits a byte stream into Pelco-D, Pelco-P and switch frames. Bytes that
// start no frame are skipped and reported as one garbage event per run.
//
// A frame whose check byte is wrong may be noise that happens to begin with
// a sync byte; when a good frame starts inside it, the bytes before that one
// are skipped instead. Otherwise the bad frame is reported as received.
class DomeDecoder {
public:
    static constexpr size_t kSampleSize = 16;

    std::vector<DomeEvent> Feed(const uint8_t* data, size_t size);

    // Settles what is held back: a bad frame that waited for a better
    // candidate is reported, a partial frame is reported as skipped.
    std::vector<DomeEvent> Flush();

    bool Pending() const { return !m_buffer.empty() || m_skipped > 0; }

private:
    enum class Match { None, NeedMore, Frame };
    struct Candidate {
        Match match = Match::None;
        DomeProtocol protocol = DomeProtocol::PelcoD;
    };

    Candidate At(size_t pos) const;
    bool GoodFrameAt(size_t pos, bool& maybe) const;
    void Parse(bool final, std::vector<DomeEvent>& out);
    void Skip(size_t pos, size_t count);
    void ReportSkipped(std::vector<DomeEvent>& out);

    std::vector<uint8_t> m_buffer;
    size_t m_skipped = 0;
    std::vector<uint8_t> m_sample;
};
