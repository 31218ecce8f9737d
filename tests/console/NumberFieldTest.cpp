#include "console/NumberField.h"

#include <gtest/gtest.h>

namespace {

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
