#include "commandlist/CommandRow.h"

#include <cstdint>
#include <cstring>

#include "commandlist/HexText.h"

namespace {

constexpr int kRecordTokens = 8;

// Rows are formatted whenever they are shown, saved or replayed, so these
// stay clear of printf: "%d" and "%02x" by hand.
std::string FormatSigned(int32_t value) {
    return std::to_string(value);
}

constexpr char kHexDigits[] = "0123456789abcdef";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Decimal text to a 32-bit word the way atol reads it (blanks, one sign,
// digits up to the first non-digit). Digits beyond 32 bits wrap instead of
// overflowing, so "-2147483648" and "2147483648" both give 0x80000000.
uint32_t ParseDecimal(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const char* p = text;
    while (IsBlank(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    }
    return negative ? 0u - value : value;
}

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

CommandRecord RecordFromRow(const char* message, const char* size, const char* interval) {
    // Emptied for every row, so a short row never inherits an earlier row's
    // trailing bytes; a slot is a string, so its first byte is enough.
    TokenSlot slots[kRecordTokens];
    for (TokenSlot& slot : slots) {
        slot[0] = '\0';
    }
    SplitTokens(slots, kRecordTokens, message);

    CommandRecord record{};
    for (int i = 0; i < kRecordTokens; ++i) {
        record.byData[i] = static_cast<uint8_t>(HexToValue(slots[i]) & 0xFFu);
    }
    record.dwSize = ParseDecimal(size);
    record.dwInterval = ParseDecimal(interval);
    return record;
}
