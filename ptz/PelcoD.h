#pragma once

#include <cstdint>

#include "ptz/PtzBase.h"

struct PtzCommand;

// Pelco-D: seven-byte frames FF, address, two command bytes, two data bytes and
// the sum of bytes 1 to 5 as check byte.
class PelcoD : public PtzBase {
public:
    static constexpr uint32_t kFrameLen = 7;
    // Pan and tilt run 0x00-0x3F; 0xFF is pan turbo, not a speed.
    static constexpr uint32_t kTopSpeed = 0x3F;

    PelcoD(CSerialPort* port, uint32_t address);

    int PresetAction(uint32_t op, uint32_t id) override;
    int Action(int direction, uint32_t speed1, uint32_t speed2) override;
    int Iris(uint32_t op, uint32_t speed) override;
    int Zoom(uint32_t op, uint32_t speed) override;
    int Focus(uint32_t op, uint32_t speed) override;
    int Auto(uint32_t op, uint32_t param) override;
    // Pelco-D has no switch frame: builds and sends nothing.
    int Switch(uint32_t op, uint32_t on) override;
    int Stop() override;
    int Shot() override;
    int ManualAction(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) override;
    std::vector<uint8_t> ManualFrame(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) const override;
    // Seven bytes starting with FF.
    std::optional<uint8_t> WholeFrameCheck(const uint8_t* frame, std::size_t length) const override;
    // Sends the first seven bytes at `frame` untouched; `length` is not a
    // bound, so `frame` must hold at least seven bytes. Null does nothing.
    int AutoAction(const uint8_t* frame, uint32_t length) override;
    uint32_t TopSpeed() const override { return kTopSpeed; }

    // Goes to preset 33, which flips the dome on most cameras.
    int Flip(int unused1, int unused2);

private:
    // Writes the kFrameLen bytes of a command frame to `out`.
    void BuildFrame(uint8_t* out, uint8_t cmd1, uint8_t cmd2, uint8_t data1, uint8_t data2) const;
    int SendCommand(uint8_t cmd1, uint8_t cmd2, uint8_t data1, uint8_t data2);
    int SendRow(const PtzCommand* row, uint8_t first, uint8_t second);
};
