#include "console/ManualCommand.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/NumberField.h"
#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"

namespace {

TEST(PreviewManualCommand, ShowsTheFrameSendBuildsAndMarksMisreadTokens) {
    using M = HexTokenMark;
    const std::string pad253(253, '0');
    struct Case {
        const char* what;
        std::string text;
        bool pelcoP;
        uint32_t address;
        std::vector<uint8_t> frame;
        std::vector<M> marks;
    };
    const Case cases[] = {
        {"prefix and case, D", "ff 1 0X2a 7", false, 1, {0xff, 1, 0xff, 1, 0x2a, 7, 0x32}, {}},
        {"a long typo keeps its last byte",
         "0x1234567890",
         false,
         2,
         {0xff, 2, 0x90, 0, 0, 0, 0x92},
         {{0, 12, M::TooLong}}},
        {"no digits, a fifth token",
         "zz 1G2 0x 5  6",
         true,
         255,
         {0xa0, 0xff, 0, 1, 0, 5, 0xaf, 0xf4},
         {{0, 2, M::NotHex}, {3, 3, M::NotHex}, {7, 2, M::NotHex}, {13, 1, M::Ignored}}},
        {"past 255 characters",
         pad253 + " 12",
         false,
         1,
         {0xff, 1, 0, 1, 0, 0, 2},
         {{0, 253, M::TooLong}, {255, 1, M::Ignored}}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PtzBase> preview, sent;
        if (c.pelcoP) {
            preview = std::make_unique<PelcoP>(nullptr, c.address);
            sent = std::make_unique<PelcoP>(nullptr, c.address);
        } else {
            preview = std::make_unique<PelcoD>(nullptr, c.address);
            sent = std::make_unique<PelcoD>(nullptr, c.address);
        }
        const ManualPreview p = PreviewManualCommand(c.text, preview.get());
        EXPECT_EQ(p.frame, c.frame) << c.what;
        EXPECT_EQ(p.marks, c.marks) << c.what;
        EXPECT_EQ(preview->BufferLen(), 0u) << c.what << ": the last frame changed";
        const auto b = ManualCommandBytes(c.text);
        sent->ManualAction(b[0], b[1], b[2], b[3]);
        EXPECT_EQ(p.frame, std::vector<uint8_t>(sent->Buffer(), sent->Buffer() + sent->BufferLen()))
            << c.what;
    }
    const ManualPreview none = PreviewManualCommand("0x1 0x2 0x3 0x4", nullptr);
    EXPECT_TRUE(none.frame.empty());
    EXPECT_EQ(PreviewManualCommand("ff", std::make_unique<PelcoD>(nullptr, 1).get()).text,
              "ff 01 ff 00 00 00 00");
}

TEST(NumberField, EmptyIsNoErrorAndTheMessageNamesTheField) {
    using F = NumberField;
    const struct {
        const char* text;
        F::State state;
        uint32_t value;
    } cases[] = {{"", F::Empty, 0},

                 {" 42 ", F::Valid, 42},
                 {"4294967295", F::Valid, 4294967295u},

                 {"12a", F::Invalid, 0}};
    for (const auto& c : cases) {
        const F f = F::Parse(c.text);
        EXPECT_EQ(f.state, c.state) << c.text;
        EXPECT_EQ(f.value, c.value) << c.text;
    }
    EXPECT_EQ(F::InvalidMessage("Ctrl Rate").rfind("Ctrl Rate: ", 0), 0u);
}

}  // namespace
