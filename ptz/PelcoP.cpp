#include "ptz/PelcoP.h"

#include <cstring>

#include "ptz/PtzCommandTable.h"

namespace {

constexpr uint8_t kStart = 0xA0;
constexpr uint8_t kEnd = 0xAF;
constexpr int kAddressRefused = 1;

using A = PtzCommand;

// Pan speed goes into data 3, tilt speed into data 4; an axis that does not
// move keeps zero there.
constexpr PtzCommand kActions[] = {
    {PTZ_LEFT, {0x00, 0x04, 0, 0}, A::kFirst},     {PTZ_RIGHT, {0x00, 0x02, 0, 0}, A::kFirst},
    {PTZ_UP, {0x00, 0x08, 0, 0}, A::kSecond},      {PTZ_DOWN, {0x00, 0x10, 0, 0}, A::kSecond},
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
    {PTZ_FOCUS_NEAR, {0x02, 0x00, 0, 0}, A::kNone},
    {PTZ_FOCUS_FAR, {0x01, 0x00, 0, 0}, A::kNone},
    {PTZ_FOCUS_STOP, {0x00, 0x00, 0, 0}, A::kNone},
};

constexpr PtzCommand kIrises[] = {
    {PTZ_IRIS_CLOSE, {0x08, 0x00, 0, 0}, A::kNone},
    {PTZ_IRIS_OPEN, {0x04, 0x00, 0, 0}, A::kNone},
    {PTZ_IRIS_STOP, {0x00, 0x00, 0, 0}, A::kNone},
};

// Pelco-P domes run their scans as presets: 99 starts the scan, 96 stops it.
constexpr PtzCommand kAutos[] = {
    {PTZ_AUTO_SCAN_ON, {0x00, 0x07, 0x00, 99}, A::kNone},
    {PTZ_AUTO_SCAN_OFF, {0x00, 0x00, 0x00, 0x00}, A::kNone},
    {PTZ_AUTO_SCAN_STOP, {0x00, 0x07, 0x00, 96}, A::kNone},
};

// XOR of the seven bytes before it, start and end byte included.
uint8_t CheckByte(const uint8_t* frame) {
    uint8_t x = 0;
    for (uint32_t i = 0; i < PelcoP::kFrameLen - 1; ++i) {
        x ^= frame[i];
    }
    return x;
}

}  // namespace

PelcoP::PelcoP(CSerialPort* port, uint32_t address) : PtzBase(port, address) {
    m_nDeviceType = 1;
}

void PelcoP::BuildFrame(uint8_t* out, uint8_t data1, uint8_t data2, uint8_t data3,
                        uint8_t data4) const {
    out[0] = kStart;
    out[1] = LowByte(m_nAddress);
    out[2] = data1;
    out[3] = data2;
    out[4] = data3;
    out[5] = data4;
    out[6] = kEnd;
    out[7] = CheckByte(out);
}

int PelcoP::SendCommand(uint8_t data1, uint8_t data2, uint8_t data3, uint8_t data4) {
    BuildFrame(m_Buffer, data1, data2, data3, data4);
    m_nBufferLen = kFrameLen;
    SendFrame();
    return 0;
}

int PelcoP::SendRow(const PtzCommand* row, uint8_t first, uint8_t second) {
    // A code outside the table leaves the last frame alone and sends nothing.
    if (row == nullptr) {
        return 0;
    }
    const auto b = row->With(first, second);
    return SendCommand(b[0], b[1], b[2], b[3]);
}

int PelcoP::PresetAction(uint32_t op, uint32_t id) {
    return SendRow(FindCommand(kPresetCommands, op), 0, LowByte(id));
}

int PelcoP::Action(int direction, uint32_t, uint32_t speed2) {
    if (AddressRefused()) {
        return kAddressRefused;
    }
    const uint8_t s = speed2 < kMaxSpeed ? static_cast<uint8_t>(speed2) : kMaxSpeed;
    return SendRow(FindCommand(kActions, direction), s, s);
}

int PelcoP::Iris(uint32_t op, uint32_t) {
    if (AddressRefused()) {
        return kAddressRefused;
    }
    return SendRow(FindCommand(kIrises, op), 0, 0);
}

int PelcoP::Zoom(uint32_t op, uint32_t) {
    if (AddressRefused()) {
        return kAddressRefused;
    }
    return SendRow(FindCommand(kZooms, op), 0, 0);
}

int PelcoP::Focus(uint32_t op, uint32_t) {
    if (AddressRefused()) {
        return kAddressRefused;
    }
    return SendRow(FindCommand(kFocuses, op), 0, 0);
}

int PelcoP::Auto(uint32_t op, uint32_t) {
    return SendRow(FindCommand(kAutos, op), 0, 0);
}

int PelcoP::Switch(uint32_t op, uint32_t on) {
    if (op != PTZ_SWITCH) {
        return 0;
    }
    const uint8_t frame[kSwitchFrameLen - 1] = {
        0xF6, 0x5E, 0x00, LowByte(m_nAddress), 0x01, static_cast<uint8_t>(on != 0 ? 1 : 0)};
    std::memcpy(m_Buffer, frame, sizeof frame);
    uint32_t sum = 0;
    for (int i = 1; i <= 5; ++i) {
        sum += m_Buffer[i];
    }
    // The switch frame's check byte keeps seven bits only.
    m_Buffer[6] = static_cast<uint8_t>(sum & 0x7F);
    m_nBufferLen = kSwitchFrameLen;
    SendFrame();
    return 0;
}

int PelcoP::Stop() {
    return 0;
}

int PelcoP::Shot() {
    return 0;
}

int PelcoP::ManualAction(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) {
    return SendCommand(b1, b2, b3, b4);
}

std::vector<uint8_t> PelcoP::ManualFrame(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) const {
    std::vector<uint8_t> frame(kFrameLen);
    BuildFrame(frame.data(), b1, b2, b3, b4);
    return frame;
}

std::optional<uint8_t> PelcoP::WholeFrameCheck(const uint8_t* frame, std::size_t length) const {
    if (frame == nullptr || length != kFrameLen || frame[0] != kStart || frame[6] != kEnd) {
        return std::nullopt;
    }
    return CheckByte(frame);
}

int PelcoP::AutoAction(const uint8_t* frame, uint32_t) {
    if (frame == nullptr) {
        return 0;
    }
    std::memcpy(m_Buffer, frame, kFrameLen);
    m_nBufferLen = kFrameLen;
    SendFrame();
    return 0;
}
