#include "commandlist/HexText.h"

#include <cstring>

namespace {

void StoreToken(TokenSlot& slot, const char* begin, std::size_t length) {
    // Longer input than a slot holds is cut, never written past the slot.
    if (length > kTokenSlotSize - 1) {
        length = kTokenSlotSize - 1;
    }
    std::memcpy(slot, begin, length);
    slot[length] = '\0';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

bool SplitTokens(TokenSlot* slots, int32_t count, const char* text) {
    if (slots == nullptr || text == nullptr) {
        return false;
    }
    const char* p = text;
    while (*p == ' ') {
        ++p;
    }
    int32_t stored = 0;
    const char* tokenBegin = p;
    for (; *p != '\0' && stored < count; ++p) {
        if (*p == ' ') {
            StoreToken(slots[stored++], tokenBegin, static_cast<std::size_t>(p - tokenBegin));
            tokenBegin = p + 1;
        }
    }
    // The last token is stored even when empty, so a trailing space or an
    // all-space text yields an empty token.
    if (stored < count) {
        StoreToken(slots[stored], tokenBegin, static_cast<std::size_t>(p - tokenBegin));
    }
    return true;
}

uint32_t HexToValue(const char* token) {
    if (token == nullptr) {
        return 0;
    }
    const char* p = token;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
    }
    uint32_t value = 0;
    for (int digit = HexDigit(*p); digit >= 0; digit = HexDigit(*++p)) {
        // Unsigned arithmetic: older digits shift out past the eighth.
        value = value * 16u + static_cast<uint32_t>(digit);
    }
    return value;
}
