#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class PtzBase;

// Characters of the hex field that count; the rest is ignored.
inline constexpr std::size_t kHexCommandMaxChars = 255;

// A stretch of the hex field that would be read otherwise than it looks.
// Offset and length count bytes of the text as given (UTF-8 from the field).
struct HexTokenMark {
    enum Kind {
        NotHex,   // a character that is no hex digit ends the number there
        TooLong,  // more than two digits: only the last two count
        Ignored,  // past the fourth token or the field's 255 characters
    };
    std::size_t offset;
    std::size_t length;
    Kind kind;

    bool operator==(const HexTokenMark&) const = default;
};

struct ManualPreview {
    enum Action {
        NoDriver,      // nothing to send with: Send does nothing
        CommandBytes,  // ManualAction with `bytes`
        WholeFrame,    // AutoAction with `frame`, a frame of the driver's protocol typed whole
        Refused,       // nothing is sent; `refusal` tells the operator why
    };
    Action action = NoDriver;
    std::array<uint8_t, 4> bytes{};   // the four command bytes, for CommandBytes
    std::vector<uint8_t> frame;       // exactly what Send puts on the line; empty when nothing
    std::string line;                 // the note under the field: the frame as listed, or why none
    std::string refusal;              // the message Send shows instead of sending
    std::vector<HexTokenMark> marks;  // in text order
};

// What Send does with `text` on `driver` (null when there is none), sending
// nothing. The text is a whole frame of the driver's protocol, one- or
// two-digit hex tokens between single spaces, or else four command bytes:
// the first four space-separated tokens read as hex, missing ones 0. Any
// token that would be read otherwise than it looks refuses the send.
ManualPreview PreviewManualCommand(std::string_view text, const PtzBase* driver);
