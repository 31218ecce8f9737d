#include "console/ManualCommand.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ManualCommandBytes, TokenCases) {
    const std::string pad252(252, '0');
    const std::string pad253(253, '0');
    struct Case {
        const char* what;
        std::string text;
        std::array<uint8_t, 4> bytes;
    };
    const Case cases[] = {
        {"the start-up text", "0x00 0x00 0x00 0x00", {0, 0, 0, 0}},
        {"prefix and case do not matter", "ff 1 0X2a 7", {0xff, 0x01, 0x2a, 0x07}},
        {"leading spaces are skipped", "  01 02 03 04", {1, 2, 3, 4}},
        {"two spaces make an empty token", "01  02 03 04", {1, 0, 2, 3}},
        {"missing tokens are 0", "01 02", {1, 2, 0, 0}},
        {"only the low 8 bits count", "123 4 5 6", {0x23, 4, 5, 6}},
        {"a token that is no number is 0", "zz 1 2 3", {0, 1, 2, 3}},
        {"a fifth token is ignored", "1 2 3 4 5", {1, 2, 3, 4}},
        {"empty text", "", {0, 0, 0, 0}},
        {"a long token converts whole", "0000000000ab", {0xab, 0, 0, 0}},
        {"255 characters count", pad252 + " 12", {0, 0x12, 0, 0}},
        {"the 256th character is cut", pad253 + " 12", {0, 0x01, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ManualCommandBytes(c.text), c.bytes) << c.what;
    }
}

}  // namespace
