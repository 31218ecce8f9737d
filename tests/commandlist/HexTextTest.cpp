#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "commandlist/CommandRow.h"
#include "commandlist/HexText.h"

namespace {

TEST(HexText, SplitTokens) {
    struct {
        const char* what;
        const char* text;
        int32_t count;
        const char* slots;  // all four joined with '|'; "-" is untouched
    } rows[] = {{"leading spaces", "   1 2", 4, "1|2|-|-"},
                {"double space", "a  b", 4, "a||b|-"},
                {"more than slots", "1 2 3 4", 3, "1|2|3|-"}};
    for (auto& r : rows) {
        TokenSlot s[4] = {"-", "-", "-", "-"};
        EXPECT_TRUE(SplitTokens(s, r.count, r.text));
        EXPECT_EQ(std::string(s[0]) + "|" + s[1] + "|" + s[2] + "|" + s[3], r.slots) << r.what;
    }
    TokenSlot slot = "-";
    EXPECT_FALSE(SplitTokens(nullptr, 4, "1") || SplitTokens(&slot, 1, nullptr));
    EXPECT_STREQ(slot, "-");
    for (size_t length : {255, 1000}) {  // one slot on the heap: a write past it shows
        auto one = std::make_unique<TokenSlot[]>(1);
        SplitTokens(one.get(), 1, ("0x" + std::string(length - 4, '0') + "FF 1").c_str());
        EXPECT_EQ(HexToValue(one[0]), length == 255 ? 0xFFu : 0u) << "whole, or cut to 255";
    }
}

TEST(CommandRow, TextsRoundTrip) {
    struct {
        CommandRecord record;
        const char *message, *size, *interval;
    } rows[] = {
        {{350, 8, {0xA0, 1, 0, 8, 0, 0x20, 0xAF, 0x26}}, "a0 01 00 08 00 20 af 26", "8", "350"},
        {{0x80000000u, 7, {0x0A}}, "0a 00 00 00 00 00 00", "7", "-2147483648"},
        {{5, 0, {}}, "", "0", "5"},
    };
    for (auto& r : rows) {
        const CommandRowTexts t = FormatCommandRow(3, r.record);
        EXPECT_EQ(t.id + "/" + t.message + "/" + t.size + "/" + t.interval,
                  std::string("3/") + r.message + "/" + r.size + "/" + r.interval);
        const CommandRecord back = RecordFromRow(r.message, r.size, r.interval);
        EXPECT_EQ(std::memcmp(&back, &r.record, sizeof back), 0) << r.message;
    }
    const CommandRecord odd = RecordFromRow("1 2 3 4 5 6 7 8 9", " \t+9x", "99999999999");
    EXPECT_EQ(FormatMessage(odd), "01 02 03 04 05 06 07 08");
    EXPECT_EQ(odd.dwSize, 9u);
    EXPECT_EQ(odd.dwInterval, 1215752191u) << "low 32 bits";
    EXPECT_EQ(RecordFromRow(nullptr, "-1", nullptr).dwSize, 0xFFFFFFFFu);
}

}  // namespace
