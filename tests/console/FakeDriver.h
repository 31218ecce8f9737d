#pragma once

#include <vector>

#include "ptz/PtzBase.h"

// A driver whose last frame is whatever the test sets, of any length.
class FakeDriver : public PtzBase {
public:
    FakeDriver() : PtzBase(nullptr, 1) {}

    void SetFrame(const std::vector<uint8_t>& frame) {
        m_nBufferLen = static_cast<uint32_t>(frame.size());
        std::copy(frame.begin(), frame.end(), m_Buffer);
    }

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
