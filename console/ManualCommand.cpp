#include "console/ManualCommand.h"

#include <string>

#include "commandlist/HexText.h"

std::array<uint8_t, 4> ManualCommandBytes(std::string_view text) {
    const std::string copy(text.substr(0, kHexCommandMaxChars));
    TokenSlot slots[4] = {};
    std::array<uint8_t, 4> bytes{};
    if (!SplitTokens(slots, 4, copy.c_str())) {
        return bytes;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(HexToValue(slots[i]) & 0xFFu);
    }
    return bytes;
}
