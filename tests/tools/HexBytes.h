#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

// "FF 01 00" -> {0xFF, 0x01, 0x00}: frames in the tests read as on a scope.
inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    std::istringstream in(text);
    std::string byte;
    while (in >> byte) {
        out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
    }
    return out;
}
