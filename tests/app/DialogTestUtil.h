#pragma once

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "commandlist/CommandRecord.h"
#include "console/ControlIds.h"
#include "tests/support/TempDir.h"

// The controls that need an open port, and those a running replay also
// locks, written out here independently of the dialog's own tables.
inline const std::set<int> kPortGroup = {
    1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017,
    1018, 1019, 1020, 1021, 1022, 1023, 1027, 1024, 1026, 1028, 1033, 1034,
    1035, 1038, 1040, 1037, 1041, 1039, 1036, 1045, 1044, 1042, 1043,
};
inline const std::set<int> kReplayExtra = {1005, 1025, 1000, 1001, 1002, 1003, 1004, 1029, 1030};

// Every control id of the template, the list view included.
inline std::vector<int> AllControlIds() {
    std::vector<int> ids;
    for (int id = 1000; id <= 1045; ++id) {
        if (id != 1031) {
            ids.push_back(id);
        }
    }
    return ids;
}

using Bytes = std::vector<uint8_t>;
inline const std::string kCfg = "DomeConfig.cfg";

// A file built by hand from the layout: twelve words, then 16-byte records.
inline Bytes FileBytes(const std::vector<int32_t>& words,
                       const std::vector<std::pair<Bytes, uint32_t>>& records) {
    Bytes out;
    auto put = [&out](uint32_t w) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
        }
    };
    for (int32_t w : words) {
        put(static_cast<uint32_t>(w));
    }
    for (const auto& [frame, interval] : records) {
        put(interval);
        put(static_cast<uint32_t>(frame.size()));
        Bytes data = frame;
        data.resize(8, 0);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

// COM index, baud, data bits, stop bits, parity, model, address, rate, interval, n.
inline std::vector<int32_t> Header(int com, int baud, int data, int stop, int parity, int model,
                                   int address, int rate, int interval, int count) {
    return {0, com, baud, data, stop, parity, 0, model, address, rate, interval, count};
}

inline CommandRecord Record(const Bytes& frame, uint32_t interval) {
    CommandRecord r{};
    r.dwInterval = interval;
    r.dwSize = static_cast<uint32_t>(frame.size());
    std::memcpy(r.byData, frame.data(), frame.size());
    return r;
}
