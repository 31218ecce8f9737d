#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ptz/PtzBase.h"

// A driver that records each call as text and keeps a frame of any length, so
// the console's dispatch and recording can be checked without a protocol.
class FakeDriver : public PtzBase {
  public:
    FakeDriver() : PtzBase(nullptr, 1) {}

    void SetFrame(const std::vector<uint8_t>& frame) {
        m_nBufferLen = static_cast<uint32_t>(frame.size());
        for (size_t i = 0; i < frame.size(); ++i) {
            m_Buffer[i] = frame[i];
        }
    }

    int PresetAction(uint32_t op, uint32_t id) override { return Log("PresetAction", op, id); }
    int Action(int d, uint32_t s1, uint32_t s2) override { return Log("Action", d, s1, s2); }
    int Iris(uint32_t op, uint32_t s) override { return Log("Iris", op, s); }
    int Zoom(uint32_t op, uint32_t s) override { return Log("Zoom", op, s); }
    int Focus(uint32_t op, uint32_t s) override { return Log("Focus", op, s); }
    int Auto(uint32_t op, uint32_t p) override { return Log("Auto", op, p); }
    int Switch(uint32_t op, uint32_t on) override { return Log("Switch", op, on); }
    int Stop() override { return Log("Stop"); }
    int Shot() override { return Log("Shot"); }
    int ManualAction(uint8_t a, uint8_t b, uint8_t c, uint8_t d) override {
        return Log("ManualAction", a, b, c, d);
    }
    int AutoAction(const uint8_t*, uint32_t n) override { return Log("AutoAction", n); }

    std::vector<std::string> calls;

  private:
    template <typename... Args>
    int Log(const char* name, Args... args) {
        std::string text;
        ((text += "," + std::to_string(args)), ...);
        if (!text.empty()) {
            text.erase(0, 1);
        }
        calls.push_back(std::string(name) + '(' + text + ')');
        return 0;
    }
};
