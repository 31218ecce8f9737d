#pragma once

#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "ptz/PtzBase.h"
#include "tests/support/Hex.h"

// Expected frames are built here, independently of the drivers' own check
// byte code, and compared as hex text so that a failure shows both frames.
namespace frametest {

using Bytes = std::vector<uint8_t>;
using Call = int (*)(PtzBase&);

// One driver call as plain data for the tables.
#define PTZ_CALL(expr) [](PtzBase& p) { return p.expr; }

inline std::string LastHex(const PtzBase& ptz) {
    return ToHex(Bytes(ptz.Buffer(), ptz.Buffer() + ptz.BufferLen()));
}

inline Bytes PelcoDFrame(uint32_t address, const Bytes& cmd) {
    Bytes f = {0xFF, static_cast<uint8_t>(address), cmd[0], cmd[1], cmd[2], cmd[3]};
    f.push_back(static_cast<uint8_t>(std::accumulate(f.begin() + 1, f.end(), 0u) % 256));
    return f;
}

inline Bytes PelcoPFrame(uint32_t address, const Bytes& data) {
    Bytes f = {0xA0, static_cast<uint8_t>(address), data[0], data[1], data[2], data[3], 0xAF};
    f.push_back(static_cast<uint8_t>(std::accumulate(f.begin(), f.end(), 0u, std::bit_xor<>())));
    return f;
}

}  // namespace frametest
