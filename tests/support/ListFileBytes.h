#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "commandlist/CommandRecord.h"

// Command list files built by hand from the layout, independently of the
// program's writer: twelve little-endian header words, then one 16-byte
// record (interval, size, eight data bytes) per command.

using Bytes = std::vector<uint8_t>;

inline void PutWord(Bytes& out, uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(word >> (8 * i)));
    }
}

// COM index, baud, data bits, stop bits, parity, model, address, rate, interval, n.
inline std::vector<int32_t> Header(int com, int baud, int data, int stop, int parity, int model,
                                   int address, int rate, int interval, int count) {
    return {0, com, baud, data, stop, parity, 0, model, address, rate, interval, count};
}

// A record of `frame` (at most eight bytes) sent after `interval` ms.
inline CommandRecord Record(const Bytes& frame, uint32_t interval) {
    CommandRecord r{};
    r.dwInterval = interval;
    r.dwSize = static_cast<uint32_t>(frame.size());
    std::memcpy(r.byData, frame.data(), std::min(frame.size(), sizeof r.byData));
    return r;
}

inline Bytes ListFileBytes(const std::vector<int32_t>& header,
                           const std::vector<CommandRecord>& records) {
    Bytes out;
    for (int32_t w : header) {
        PutWord(out, static_cast<uint32_t>(w));
    }
    for (const CommandRecord& r : records) {
        PutWord(out, r.dwInterval);
        PutWord(out, r.dwSize);
        out.insert(out.end(), r.byData, r.byData + sizeof r.byData);
    }
    return out;
}

// The same bytes with header word `word` replaced.
inline Bytes WithWord(Bytes file, int word, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        file[4 * static_cast<size_t>(word) + static_cast<size_t>(i)] =
            static_cast<uint8_t>(v >> (8 * i));
    }
    return file;
}
