#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ptz/PtzBase.h"

// Expected frames are built here, independently of the drivers' own check
// byte code, and compared as hex text so that a failure shows both frames.
namespace frametest {

using Bytes = std::vector<uint8_t>;

inline std::string Hex(const Bytes& bytes) {
    std::string out;
    char cell[4];
    for (uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, out.empty() ? "%02X" : " %02X", b);
        out += cell;
    }
    return out;
}

inline Bytes LastFrame(const PtzBase& ptz) {
    return Bytes(ptz.Buffer(), ptz.Buffer() + ptz.BufferLen());
}

inline std::string LastHex(const PtzBase& ptz) {
    return Hex(LastFrame(ptz));
}

// One driver call, so that tables can list calls as plain data. Manual packs
// its four bytes into `a1`, the first byte highest.
enum class Op { Action, Zoom, Focus, Iris, Preset, Auto, Switch, Stop, Shot, Manual, ReplayNull };

struct Request {
    Op op;
    int64_t code = 0;
    uint32_t a1 = 0;
    uint32_t a2 = 0;
};

inline int Invoke(PtzBase& ptz, const Request& r) {
    const auto op = static_cast<uint32_t>(r.code);
    switch (r.op) {
        case Op::Action:
            return ptz.Action(static_cast<int>(r.code), r.a1, r.a2);
        case Op::Zoom:
            return ptz.Zoom(op, r.a1);
        case Op::Focus:
            return ptz.Focus(op, r.a1);
        case Op::Iris:
            return ptz.Iris(op, r.a1);
        case Op::Preset:
            return ptz.PresetAction(op, r.a1);
        case Op::Auto:
            return ptz.Auto(op, r.a1);
        case Op::Switch:
            return ptz.Switch(op, r.a1);
        case Op::Stop:
            return ptz.Stop();
        case Op::Shot:
            return ptz.Shot();
        case Op::Manual:
            return ptz.ManualAction(static_cast<uint8_t>(r.a1 >> 24),
                                    static_cast<uint8_t>(r.a1 >> 16),
                                    static_cast<uint8_t>(r.a1 >> 8), static_cast<uint8_t>(r.a1));
        case Op::ReplayNull:
            return ptz.AutoAction(nullptr, 8);
    }
    return -1;
}

inline Bytes PelcoDFrame(uint32_t address, const Bytes& cmd) {
    Bytes f = {0xFF, static_cast<uint8_t>(address), cmd[0], cmd[1], cmd[2], cmd[3]};
    unsigned sum = 0;
    for (size_t i = 1; i < f.size(); ++i) {
        sum += f[i];
    }
    f.push_back(static_cast<uint8_t>(sum % 256));
    return f;
}

inline Bytes PelcoPFrame(uint32_t address, const Bytes& data) {
    Bytes f = {0xA0, static_cast<uint8_t>(address), data[0], data[1], data[2], data[3], 0xAF};
    uint8_t x = 0;
    for (uint8_t b : f) {
        x = static_cast<uint8_t>(x ^ b);
    }
    f.push_back(x);
    return f;
}

}  // namespace frametest
