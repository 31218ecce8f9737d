#pragma once

#include "ptz/PtzBase.h"

// A driver that builds and sends nothing; test drivers override only the
// operations they watch.
class NullDriver : public PtzBase {
public:
    NullDriver() : PtzBase(nullptr, 1) {}

    int PresetAction(uint32_t, uint32_t) override { return 0; }
    int Action(int, uint32_t, uint32_t) override { return 0; }
    int Iris(uint32_t, uint32_t) override { return 0; }
    int Zoom(uint32_t, uint32_t) override { return 0; }
    int Focus(uint32_t, uint32_t) override { return 0; }
    int Auto(uint32_t, uint32_t) override { return 0; }
    int Switch(uint32_t, uint32_t) override { return 0; }
    int Stop() override { return 0; }
    int Shot() override { return 0; }
    int ManualAction(uint8_t, uint8_t, uint8_t, uint8_t) override { return 0; }
    int AutoAction(const uint8_t*, uint32_t) override { return 0; }
};
