#include "commandlist/CommandRow.h"

#include <cstdint>
#include <cstring>

namespace {

// Rows are formatted whenever they are shown, saved or replayed, so these
// stay clear of printf: "%d" and "%02x" by hand.
std::string FormatSigned(int32_t value) {
    return std::to_string(value);
}

constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::string FormatMessage(const CommandRecord& record) {
    const uint32_t count =
        record.dwSize < sizeof record.byData ? record.dwSize : uint32_t{sizeof record.byData};
    if (count == 0) {
        return {};
    }
    std::string message(std::size_t{count} * 3 - 1, ' ');
    for (std::size_t i = 0; i < count; ++i) {
        message[3 * i] = kHexDigits[record.byData[i] >> 4];
        message[3 * i + 1] = kHexDigits[record.byData[i] & 0x0F];
    }
    return message;
}

CommandRowTexts FormatCommandRow(int row, const CommandRecord& record) {
    CommandRowTexts texts;
    texts.id = FormatSigned(row);
    texts.message = FormatMessage(record);
    texts.size = FormatSigned(static_cast<int32_t>(record.dwSize));
    texts.interval = FormatSigned(static_cast<int32_t>(record.dwInterval));
    return texts;
}
