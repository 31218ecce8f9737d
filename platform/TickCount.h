#pragma once

#include <cstdint>

// 32-bit millisecond tick counter, wrapping like the one the command log was
// designed around.
using TickSource = uint32_t (*)();

uint32_t GetTickCount();

// Test seam: intervals are checked without sleeping.
// Installs a tick source; nullptr restores the monotonic clock. Returns the
// previous source.
TickSource SetTickSource(TickSource source);

// The monotonic clock in milliseconds, truncated to 32 bits.
uint32_t MonotonicTickCount();

// Sleeps the calling thread for the given milliseconds.
void SleepMs(uint32_t ms);
