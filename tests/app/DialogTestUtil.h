#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "console/ControlIds.h"
#include "tests/support/ListFileBytes.h"
#include "tests/support/TempDir.h"

// The controls that need an open port, and those a running replay also
// locks (the port's "Close" stays, to end it), written out here independently
// of the dialog's own tables.
inline const std::set<int> kPortGroup = {
    1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017,
    1018, 1019, 1020, 1021, 1022, 1023, 1027, 1024, 1026, 1028, 1033, 1034,
    1035, 1038, 1040, 1037, 1041, 1039, 1036, 1045, 1044, 1042, 1043,
};
inline const std::set<int> kReplayExtra = {1005, 1000, 1001, 1002, 1003, 1004, 1029, 1030};

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

inline const std::string kCfg = "DomeConfig.cfg";

// A list file of (frame, interval) records.
inline Bytes FileBytes(const std::vector<int32_t>& header,
                       const std::vector<std::pair<Bytes, uint32_t>>& records) {
    std::vector<CommandRecord> out;
    out.reserve(records.size());
    for (const auto& [frame, interval] : records) {
        out.push_back(Record(frame, interval));
    }
    return ListFileBytes(header, out);
}
