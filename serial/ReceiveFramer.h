#pragma once

#include <cstdint>

// Collects received bytes into frames that start with 0xFF and are 7 bytes
// long. Bytes before a start byte are dropped. The owner hands on what was
// collected when a frame completes or the input runs dry, then resets.
class ReceiveFramer {
public:
    static constexpr uint8_t kFrameStart = 0xFF;
    static constexpr uint32_t kFrameSize = 7;

    // True when the byte completed a frame; the frame must then be handed on
    // and Reset() called before the next byte.
    bool Collect(uint8_t byte) {
        if (m_nRecvCount >= kFrameSize) {
            Reset();  // an owner that forgot to reset starts a new frame
        }
        if (m_nRecvCount == 0 && byte != kFrameStart) {
            return false;
        }
        m_RecvFrame[m_nRecvCount++] = byte;
        return m_nRecvCount == kFrameSize;
    }

    void Reset() { m_nRecvCount = 0; }
    uint8_t* Frame() { return m_RecvFrame; }
    uint32_t Count() const { return m_nRecvCount; }

private:
    uint8_t m_RecvFrame[8] = {};
    uint32_t m_nRecvCount = 0;
};
