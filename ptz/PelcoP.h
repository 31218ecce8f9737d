#pragma once

#include <cstdint>

#include "ptz/PtzBase.h"

struct PtzCommand;

// Pelco-P: eight-byte frames A0, address, four data bytes, AF and the XOR of
// the seven bytes before it. Addresses above 255 are refused by the motion and
// lens operations, which return 1 then.
class PelcoP : public PtzBase {
public:
    static constexpr uint32_t kFrameLen = 8;
    static constexpr uint32_t kSwitchFrameLen = 7;
    static constexpr uint32_t kMaxAddress = 255;
    static constexpr uint8_t kMaxSpeed = 0x40;

    PelcoP(CSerialPort* port, uint32_t address);

    int PresetAction(uint32_t op, uint32_t id) override;
    // Pelco-P has one speed for both axes: speed2, capped at 0x40.
    int Action(int direction, uint32_t speed1, uint32_t speed2) override;
    int Iris(uint32_t op, uint32_t speed) override;
    int Zoom(uint32_t op, uint32_t speed) override;
    int Focus(uint32_t op, uint32_t speed) override;
    int Auto(uint32_t op, uint32_t param) override;
    // Builds the seven-byte switch frame for PTZ_SWITCH.
    int Switch(uint32_t op, uint32_t on) override;
    // Neither has a Pelco-P frame: they build and send nothing.
    int Stop() override;
    int Shot() override;
    int ManualAction(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) override;
    std::vector<uint8_t> ManualFrame(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) const override;
    // Eight bytes starting with A0, AF the seventh.
    std::optional<uint8_t> WholeFrameCheck(const uint8_t* frame, std::size_t length) const override;
    // Sends the first eight bytes at `frame` untouched, whatever `length`
    // says (a seven-byte Pelco-D record still goes out as eight), so `frame`
    // must hold at least eight bytes. Null does nothing.
    int AutoAction(const uint8_t* frame, uint32_t length) override;
    uint32_t TopSpeed() const override { return kMaxSpeed; }

private:
    bool AddressRefused() const { return m_nAddress > kMaxAddress; }
    // Writes the kFrameLen bytes of a command frame to `out`.
    void BuildFrame(uint8_t* out, uint8_t data1, uint8_t data2, uint8_t data3, uint8_t data4) const;
    int SendCommand(uint8_t data1, uint8_t data2, uint8_t data3, uint8_t data4);
    int SendRow(const PtzCommand* row, uint8_t first, uint8_t second);
};
