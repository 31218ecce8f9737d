#include "tests/support/DialogHarness.h"

#include <atomic>

#include "platform/TickCount.h"

namespace {
std::atomic<uint32_t> g_manualTick{0};
uint32_t ManualTick() {
    return g_manualTick.load();
}
}  // namespace

ScopedManualTicks::ScopedManualTicks(uint32_t start) {
    g_manualTick = start;
    SetTickSource(&ManualTick);
}

ScopedManualTicks::~ScopedManualTicks() {
    SetTickSource(nullptr);
}

void ScopedManualTicks::Advance(uint32_t ms) {
    g_manualTick += ms;
}
