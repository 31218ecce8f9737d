#pragma once

#include <cstdint>

// 32-bit millisecond tick counter, wrapping like the one the command log was
// designed around. Tests swap the source to check intervals without sleeping.
using TickSource = uint32_t (*)();

uint32_t GetTickCount();

// Installs a tick source; nullptr restores the monotonic clock. Returns the
// previous source.
TickSource SetTickSource(TickSource source);

// The monotonic clock in milliseconds, truncated to 32 bits.
uint32_t MonotonicTickCount();

// Sleeps the calling thread for the given milliseconds.
void SleepMs(uint32_t ms);
