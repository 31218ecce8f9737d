#include <gtest/gtest.h>

#include <memory>
#include <string>

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

}  // namespace
