#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class DomeProtocol { PelcoD, PelcoP, Switch };

constexpr uint8_t kPelcoDSync = 0xFF;
constexpr uint8_t kPelcoPStart = 0xA0;
constexpr uint8_t kPelcoPEnd = 0xAF;
constexpr uint8_t kSwitchSync = 0xF6;
constexpr uint8_t kSwitchSecond = 0x5E;

// Extended command numbers, shared by both protocols.
enum DomeExtended : uint8_t {
    kSetPreset = 0x03,
    kClearPreset = 0x05,
    kGoToPreset = 0x07,
    kSetAux = 0x09,
    kClearAux = 0x0B,
    // Absolute position (Pelco-D): set, query, and the dome's reply; the two
    // data bytes carry a 16-bit value, high byte first.
    kSetPan = 0x4B,
    kSetTilt = 0x4D,
    kSetZoom = 0x4F,
    kQueryPan = 0x51,
    kQueryTilt = 0x53,
    kQueryZoom = 0x55,
    kPanReply = 0x59,
    kTiltReply = 0x5B,
    kZoomReply = 0x5D,
};

// The reply a query asks for (kPanReply for kQueryPan ...); 0 for anything else.
uint8_t ReplyFor(uint8_t queryOpcode);

// Pan and tilt travel in hundredths of a degree. Pan counts 0..35999; tilt
// above the horizon is positive, below it counts down from 36000 (-45 deg is
// 31500). Zoom is the lens position 0..65535 from wide to tele.
uint16_t PanValue(double degrees);
double PanDegrees(uint16_t value);
uint16_t TiltValue(double degrees);
double TiltDegrees(uint16_t value);
constexpr uint16_t kZoomValueMax = 0xFFFF;

// Presets that domes treat as functions rather than positions.
constexpr uint8_t kScanStartPreset = 99;
constexpr uint8_t kScanStopPreset = 96;

// What one frame asks of the camera, read bit by bit.
struct DomeCommand {
    enum class Kind { Standard, Extended, Switch };
    enum class Toggle { None, On, Off };

    Kind kind = Kind::Standard;

    // Standard frames: one flag per bit, conflicting pairs kept as sent.
    bool panLeft = false;
    bool panRight = false;
    bool tiltUp = false;
    bool tiltDown = false;
    bool zoomTele = false;
    bool zoomWide = false;
    bool focusNear = false;
    bool focusFar = false;
    bool irisOpen = false;
    bool irisClose = false;
    uint8_t panSpeed = 0;  // raw speed bytes
    uint8_t tiltSpeed = 0;
    bool panTurbo = false;
    Toggle scan = Toggle::None;
    Toggle power = Toggle::None;

    // Extended frames: the command number and its two data bytes; the
    // second one carries the preset or auxiliary number.
    uint8_t opcode = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;

    // Switch frames.
    bool switchOn = false;

    uint16_t value() const { return static_cast<uint16_t>(data1 << 8 | data2); }
};

struct DomeFrame {
    DomeProtocol protocol = DomeProtocol::PelcoD;
    std::vector<uint8_t> bytes;
    uint8_t address = 0;
    uint8_t check = 0;     // the check byte as received
    uint8_t expected = 0;  // the check byte the other bytes call for
    DomeCommand command;

    bool checkOk() const { return check == expected; }
};

size_t FrameLength(DomeProtocol protocol);

// Check bytes over a whole frame buffer (at least FrameLength bytes).
uint8_t PelcoDCheck(const uint8_t* frame);  // sum of bytes 1..5, mod 256
uint8_t PelcoPCheck(const uint8_t* frame);  // XOR of bytes 0..6
uint8_t SwitchCheck(const uint8_t* frame);  // sum of bytes 1..5, mod 128

// A Pelco-D frame with its check byte: the dome's replies and the scan's queries.
std::vector<uint8_t> PelcoDFrame(uint8_t address, uint8_t cmd1, uint8_t cmd2, uint8_t data1,
                                 uint8_t data2);

// Decodes FrameLength(protocol) bytes whose framing bytes are already known
// to match; the check byte is compared, not required.
DomeFrame DecodeFrame(DomeProtocol protocol, const uint8_t* bytes);
