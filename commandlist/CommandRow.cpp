#include "commandlist/CommandRow.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "commandlist/HexText.h"

namespace {

constexpr int kRecordTokens = 8;

std::string FormatSigned(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

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
    std::string message;
    for (uint32_t i = 0; i < count; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", record.byData[i]);
        if (i != 0) {
            message += ' ';
        }
        message += byte;
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
    // Cleared for every row, so a short row never inherits an earlier row's
    // trailing bytes.
    TokenSlot slots[kRecordTokens] = {};
    SplitTokens(slots, kRecordTokens, message);

    CommandRecord record{};
    for (int i = 0; i < kRecordTokens; ++i) {
        record.byData[i] = static_cast<uint8_t>(HexToValue(slots[i]) & 0xFFu);
    }
    record.dwSize = ParseDecimal(size);
    record.dwInterval = ParseDecimal(interval);
    return record;
}
