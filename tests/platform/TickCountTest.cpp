#include "platform/TickCount.h"

#include <gtest/gtest.h>

namespace {
uint32_t g_fake = 0;
uint32_t FakeTicks() {
    return g_fake;
}
}  // namespace

TEST(TickCount, InjectedSourceIsUsedAndRestored) {
    g_fake = 0xFFFFFFF0u;
    TickSource previous = SetTickSource(&FakeTicks);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    g_fake = 5;
    EXPECT_EQ(GetTickCount() - 0xFFFFFFF0u, 21u) << "differences wrap in 32 bits";
    EXPECT_EQ(SetTickSource(previous), &FakeTicks);
}
