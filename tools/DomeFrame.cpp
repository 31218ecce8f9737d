#include "tools/DomeFrame.h"

#include <cmath>

namespace {

bool Bit(uint8_t byte, uint8_t mask) {
    return (byte & mask) != 0;
}

// Pelco-D command 1.
constexpr uint8_t kDSense = 0x80;
constexpr uint8_t kDScan = 0x10;
constexpr uint8_t kDCamera = 0x08;
constexpr uint8_t kDIrisClose = 0x04;
constexpr uint8_t kDIrisOpen = 0x02;
constexpr uint8_t kDFocusNear = 0x01;
// Pelco-D command 2.
constexpr uint8_t kDFocusFar = 0x80;

// Direction and zoom bits: Pelco-D command 2 and Pelco-P data 2 agree.
constexpr uint8_t kZoomWide = 0x40;
constexpr uint8_t kZoomTele = 0x20;
constexpr uint8_t kTiltDown = 0x10;
constexpr uint8_t kTiltUp = 0x08;
constexpr uint8_t kPanLeft = 0x04;
constexpr uint8_t kPanRight = 0x02;
constexpr uint8_t kExtendedBit = 0x01;

// Pelco-P data 1.
constexpr uint8_t kPCameraOn = 0x40;
constexpr uint8_t kPScanOn = 0x20;
constexpr uint8_t kPCameraOnOff = 0x10;
constexpr uint8_t kPIrisClose = 0x08;
constexpr uint8_t kPIrisOpen = 0x04;
constexpr uint8_t kPFocusNear = 0x02;
constexpr uint8_t kPFocusFar = 0x01;

constexpr uint8_t kPelcoDTurbo = 0xFF;
constexpr uint8_t kPelcoPTurbo = 0x40;

void DecodeMotionBits(uint8_t bits, DomeCommand& c) {
    c.zoomWide = Bit(bits, kZoomWide);
    c.zoomTele = Bit(bits, kZoomTele);
    c.tiltDown = Bit(bits, kTiltDown);
    c.tiltUp = Bit(bits, kTiltUp);
    c.panLeft = Bit(bits, kPanLeft);
    c.panRight = Bit(bits, kPanRight);
}

DomeCommand DecodePelcoD(const uint8_t* f) {
    DomeCommand c;
    const uint8_t cmd1 = f[2];
    const uint8_t cmd2 = f[3];
    if (Bit(cmd2, kExtendedBit)) {
        c.kind = DomeCommand::Kind::Extended;
        c.opcode = cmd2;
        c.data1 = f[4];
        c.data2 = f[5];
        return c;
    }
    DecodeMotionBits(cmd2, c);
    c.focusFar = Bit(cmd2, kDFocusFar);
    c.focusNear = Bit(cmd1, kDFocusNear);
    c.irisOpen = Bit(cmd1, kDIrisOpen);
    c.irisClose = Bit(cmd1, kDIrisClose);
    // The sense bit turns the scan and camera bits into "on"; without it
    // they mean "off" (manual scan, camera off).
    const bool sense = Bit(cmd1, kDSense);
    if (Bit(cmd1, kDScan)) {
        c.scan = sense ? DomeCommand::Toggle::On : DomeCommand::Toggle::Off;
    }
    if (Bit(cmd1, kDCamera)) {
        c.power = sense ? DomeCommand::Toggle::On : DomeCommand::Toggle::Off;
    }
    c.panSpeed = f[4];
    c.tiltSpeed = f[5];
    c.panTurbo = f[4] == kPelcoDTurbo;
    return c;
}

DomeCommand DecodePelcoP(const uint8_t* f) {
    DomeCommand c;
    const uint8_t d1 = f[2];
    const uint8_t d2 = f[3];
    if (Bit(d2, kExtendedBit)) {
        c.kind = DomeCommand::Kind::Extended;
        c.opcode = d2;
        c.data1 = f[4];
        c.data2 = f[5];
        return c;
    }
    DecodeMotionBits(d2, c);
    c.focusFar = Bit(d1, kPFocusFar);
    c.focusNear = Bit(d1, kPFocusNear);
    c.irisOpen = Bit(d1, kPIrisOpen);
    c.irisClose = Bit(d1, kPIrisClose);
    if (Bit(d1, kPScanOn)) {
        c.scan = DomeCommand::Toggle::On;
    }
    if (Bit(d1, kPCameraOn)) {
        c.power = DomeCommand::Toggle::On;
    } else if (Bit(d1, kPCameraOnOff)) {
        c.power = DomeCommand::Toggle::Off;
    }
    c.panSpeed = f[4];
    c.tiltSpeed = f[5];
    c.panTurbo = f[4] >= kPelcoPTurbo;
    return c;
}

}  // namespace

size_t FrameLength(DomeProtocol protocol) {
    return protocol == DomeProtocol::PelcoP ? 8 : 7;
}

uint8_t PelcoDCheck(const uint8_t* frame) {
    unsigned sum = 0;
    for (int i = 1; i <= 5; ++i) {
        sum += frame[i];
    }
    return static_cast<uint8_t>(sum & 0xFF);
}

uint8_t PelcoPCheck(const uint8_t* frame) {
    uint8_t x = 0;
    for (int i = 0; i <= 6; ++i) {
        x ^= frame[i];
    }
    return x;
}

uint8_t SwitchCheck(const uint8_t* frame) {
    unsigned sum = 0;
    for (int i = 1; i <= 5; ++i) {
        sum += frame[i];
    }
    return static_cast<uint8_t>(sum & 0x7F);
}

DomeFrame DecodeFrame(DomeProtocol protocol, const uint8_t* bytes) {
    DomeFrame frame;
    frame.protocol = protocol;
    frame.bytes.assign(bytes, bytes + FrameLength(protocol));
    switch (protocol) {
        case DomeProtocol::PelcoD:
            frame.address = bytes[1];
            frame.check = bytes[6];
            frame.expected = PelcoDCheck(bytes);
            frame.command = DecodePelcoD(bytes);
            break;
        case DomeProtocol::PelcoP:
            frame.address = bytes[1];
            frame.check = bytes[7];
            frame.expected = PelcoPCheck(bytes);
            frame.command = DecodePelcoP(bytes);
            break;
        case DomeProtocol::Switch:
            frame.address = bytes[3];
            frame.check = bytes[6];
            frame.expected = SwitchCheck(bytes);
            frame.command.kind = DomeCommand::Kind::Switch;
            frame.command.data1 = bytes[4];
            frame.command.switchOn = bytes[5] != 0;
            break;
    }
    return frame;
}

std::vector<uint8_t> PelcoDFrame(uint8_t address, uint8_t cmd1, uint8_t cmd2, uint8_t data1,
                                 uint8_t data2) {
    std::vector<uint8_t> f = {kPelcoDSync, address, cmd1, cmd2, data1, data2, 0};
    f[6] = PelcoDCheck(f.data());
    return f;
}

uint8_t ReplyFor(uint8_t queryOpcode) {
    switch (queryOpcode) {
        case kQueryPan:
            return kPanReply;
        case kQueryTilt:
            return kTiltReply;
        case kQueryZoom:
            return kZoomReply;
        default:
            return 0;
    }
}

namespace {
constexpr long kFullTurn = 36000;
long Hundredths(double degrees) {
    // NaN or huge values from a caller must not overflow the cast.
    if (!std::isfinite(degrees)) {
        return 0;
    }
    const long v = std::lround(std::fmod(degrees, 360.0) * 100.0) % kFullTurn;
    return v < 0 ? v + kFullTurn : v;
}
}  // namespace

uint16_t PanValue(double degrees) {
    return static_cast<uint16_t>(Hundredths(degrees));
}

double PanDegrees(uint16_t value) {
    return static_cast<double>(value % kFullTurn) / 100.0;
}

uint16_t TiltValue(double degrees) {
    return static_cast<uint16_t>(Hundredths(degrees));
}

double TiltDegrees(uint16_t value) {
    const long v = value % kFullTurn;
    return static_cast<double>(v > kFullTurn / 2 ? v - kFullTurn : v) / 100.0;
}
