#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/PortBindings.h"
#include "platform/PortMap.h"
#include "platform/TickCount.h"
#include "tests/support/ScopedPortMap.h"

// The ticks are read inside a steady-clock window around a sleep, so neither
// bound depends on how long the sleep really took.
TEST(TickCount, CountsMilliseconds) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const uint32_t first = GetTickCount();
    std::this_thread::sleep_for(milliseconds(50));
    const uint32_t elapsed = GetTickCount() - first;
    const auto window = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_GE(elapsed, 49u);
    EXPECT_LE(elapsed, window + 2);
}
