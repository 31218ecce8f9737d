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

// The four command and data bytes typed into the hex field: the first four
// space-separated tokens read as hex, low 8 bits each; missing tokens give 0.
std::array<uint8_t, 4> ManualCommandBytes(std::string_view text);

// A stretch of the hex field that Send reads otherwise than it looks. Offset
// and length count bytes of the text as given (UTF-8 from the field).
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
    std::vector<uint8_t> frame;       // exactly what Send puts on the line; empty without a driver
    std::string text;                 // the frame as the list's Message column shows it
    std::vector<HexTokenMark> marks;  // in text order
};

// What Send would do with `text` on `driver` (null when there is none): the
// same conversion and the driver's own frame builder, sending nothing.
ManualPreview PreviewManualCommand(std::string_view text, const PtzBase* driver);
