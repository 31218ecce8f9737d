#pragma once

#include <vector>

#include "tests/support/NullDriver.h"

// A driver whose last frame is whatever the test sets, of any length.
class FakeDriver : public NullDriver {
public:
    void SetFrame(const std::vector<uint8_t>& frame) {
        m_nBufferLen = static_cast<uint32_t>(frame.size());
        std::copy(frame.begin(), frame.end(), m_Buffer);
    }
};
