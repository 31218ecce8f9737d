#pragma once

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

// Frames in the tests read as on a scope, written here independently of the
// program's own hex conversion: "FF 01 00" -> {0xFF, 0x01, 0x00}.

// Bytes of space-separated hex pairs; parsing stops at the first non-hex token.
inline std::vector<uint8_t> FromHex(const std::string& text) {
    std::vector<uint8_t> out;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(token.c_str(), &end, 16);
        if (end == token.c_str() || *end != '\0' || value > 0xFF) {
            break;
        }
        out.push_back(static_cast<uint8_t>(value));
    }
    return out;
}
