#include "ptz/PelcoD.h"

#include <cstring>

#include "ptz/PtzCommandTable.h"

namespace {

constexpr uint8_t kSync = 0xFF;
constexpr uint8_t kFlipPreset = 33;

using A = PtzCommand;

// Every direction carries both speeds, even where one axis does not move.
constexpr PtzCommand kActions[] = {
    {PTZ_LEFT, {0x00, 0x04, 0, 0}, A::kBoth},      {PTZ_RIGHT, {0x00, 0x02, 0, 0}, A::kBoth},
    {PTZ_UP, {0x00, 0x08, 0, 0}, A::kBoth},        {PTZ_DOWN, {0x00, 0x10, 0, 0}, A::kBoth},
    {PTZ_LEFT_UP, {0x00, 0x0C, 0, 0}, A::kBoth},   {PTZ_RIGHT_UP, {0x00, 0x0A, 0, 0}, A::kBoth},
    {PTZ_LEFT_DOWN, {0x00, 0x14, 0, 0}, A::kBoth}, {PTZ_RIGHT_DOWN, {0x00, 0x12, 0, 0}, A::kBoth},
    {PTZ_STOP, {0x00, 0x00, 0, 0}, A::kNone},
};

constexpr PtzCommand kZooms[] = {
    {PTZ_ZOOM_TELE, {0x00, 0x20, 0, 0}, A::kNone},
    {PTZ_ZOOM_WIDE, {0x00, 0x40, 0, 0}, A::kNone},
    {PTZ_ZOOM_STOP, {0x00, 0x00, 0, 0}, A::kNone},
};

constexpr PtzCommand kFocuses[] = {
    {PTZ_FOCUS_NEAR, {0x01, 0x00, 0, 0}, A::kNone},
    {PTZ_FOCUS_FAR, {0x00, 0x80, 0, 0}, A::kNone},
    {PTZ_FOCUS_STOP, {0x00, 0x00, 0, 0}, A::kNone},
};

constexpr PtzCommand kIrises[] = {
    {PTZ_IRIS_CLOSE, {0x04, 0x00, 0, 0}, A::kNone},
    {PTZ_IRIS_OPEN, {0x02, 0x00, 0, 0}, A::kNone},
    {PTZ_IRIS_STOP, {0x00, 0x00, 0, 0}, A::kNone},
};

// Scan on sets the sense bit with the scan bit; scan off is the scan bit alone.
constexpr PtzCommand kAutos[] = {
    {PTZ_AUTO_SCAN_ON, {0x90, 0x00, 0, 0}, A::kNone},
    {PTZ_AUTO_SCAN_OFF, {0x10, 0x00, 0, 0}, A::kNone},
};

// Sum of the address, command and data bytes, kept to eight bits.
uint8_t CheckByte(const uint8_t* frame) {
    uint32_t sum = 0;
    for (int i = 1; i <= 5; ++i) {
        sum += frame[i];
    }
    return static_cast<uint8_t>(sum);
}

}  // namespace

PelcoD::PelcoD(CSerialPort* port, uint32_t address) : PtzBase(port, address) {}

void PelcoD::BuildFrame(uint8_t* out, uint8_t cmd1, uint8_t cmd2, uint8_t data1,
                        uint8_t data2) const {
    out[0] = kSync;
    out[1] = LowByte(m_nAddress);
    out[2] = cmd1;
    out[3] = cmd2;
    out[4] = data1;
    out[5] = data2;
    out[6] = CheckByte(out);
}

int PelcoD::SendCommand(uint8_t cmd1, uint8_t cmd2, uint8_t data1, uint8_t data2) {
    BuildFrame(m_Buffer, cmd1, cmd2, data1, data2);
    m_nBufferLen = kFrameLen;
    SendFrame();
    return 0;
}

int PelcoD::SendRow(const PtzCommand* row, uint8_t first, uint8_t second) {
    // A code outside the table leaves the last frame alone and sends nothing.
    if (row == nullptr) {
        return 0;
    }
    const auto b = row->With(first, second);
    return SendCommand(b[0], b[1], b[2], b[3]);
}

int PelcoD::PresetAction(uint32_t op, uint32_t id) {
    return SendRow(FindCommand(kPresetCommands, op), 0, LowByte(id));
}

int PelcoD::Action(int direction, uint32_t speed1, uint32_t speed2) {
    return SendRow(FindCommand(kActions, direction), LowByte(speed1), LowByte(speed2));
}

int PelcoD::Iris(uint32_t op, uint32_t) {
    return SendRow(FindCommand(kIrises, op), 0, 0);
}

int PelcoD::Zoom(uint32_t op, uint32_t) {
    return SendRow(FindCommand(kZooms, op), 0, 0);
}

int PelcoD::Focus(uint32_t op, uint32_t) {
    return SendRow(FindCommand(kFocuses, op), 0, 0);
}

int PelcoD::Auto(uint32_t op, uint32_t) {
    return SendRow(FindCommand(kAutos, op), 0, 0);
}

int PelcoD::Switch(uint32_t, uint32_t) {
    return 0;
}

int PelcoD::Stop() {
    return SendCommand(0x00, 0x00, 0x00, 0x00);
}

int PelcoD::Shot() {
    return SendCommand(0x00, 0x4F, 0x01, 0xFF);
}

int PelcoD::Flip(int, int) {
    return SendCommand(0x00, 0x07, 0x00, kFlipPreset);
}

int PelcoD::ManualAction(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) {
    return SendCommand(b1, b2, b3, b4);
}

std::vector<uint8_t> PelcoD::ManualFrame(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) const {
    std::vector<uint8_t> frame(kFrameLen);
    BuildFrame(frame.data(), b1, b2, b3, b4);
    return frame;
}

std::optional<uint8_t> PelcoD::WholeFrameCheck(const uint8_t* frame, std::size_t length) const {
    if (frame == nullptr || length != kFrameLen || frame[0] != kSync) {
        return std::nullopt;
    }
    return CheckByte(frame);
}

int PelcoD::AutoAction(const uint8_t* frame, uint32_t) {
    if (frame == nullptr) {
        return 0;
    }
    std::memcpy(m_Buffer, frame, kFrameLen);
    m_nBufferLen = kFrameLen;
    SendFrame();
    return 0;
}
