#include "console/ManualCommand.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "commandlist/CommandRecord.h"
#include "commandlist/CommandRow.h"
#include "commandlist/HexText.h"
#include "ptz/PtzBase.h"

namespace {

constexpr std::size_t kManualTokens = 4;
constexpr std::size_t kByteDigits = 2;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// How HexToValue would misread a token, if it would.
std::optional<HexTokenMark::Kind> Misread(std::string_view token) {
    if (token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        token.remove_prefix(2);
    }
    if (token.empty() || !std::all_of(token.begin(), token.end(), IsHexDigit)) {
        return HexTokenMark::NotHex;
    }
    if (token.size() > kByteDigits) {
        return HexTokenMark::TooLong;
    }
    return std::nullopt;
}

// The tokens as SplitTokens cuts the first kHexCommandMaxChars characters;
// empty tokens are not marked, the preview shows their zero byte.
std::vector<HexTokenMark> MarkTokens(std::string_view text) {
    std::vector<HexTokenMark> marks;
    const std::size_t kept = std::min(text.size(), kHexCommandMaxChars);
    std::size_t pos = text.find_first_not_of(' ');
    pos = pos == std::string_view::npos ? text.size() : std::min(pos, kept);
    for (std::size_t count = 0; count < kManualTokens && pos < kept; ++count) {
        std::size_t end = std::min(text.find(' ', pos), kept);
        if (const auto kind = Misread(text.substr(pos, end - pos)); kind && end > pos) {
            marks.push_back({pos, end - pos, *kind});
        }
        pos = end < kept ? end + 1 : kept;
    }
    // Whatever is left is dropped by Send without a trace.
    while ((pos = text.find_first_not_of(' ', pos)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        marks.push_back({pos, end - pos, HexTokenMark::Ignored});
        pos = end;
    }
    return marks;
}

}  // namespace

std::array<uint8_t, 4> ManualCommandBytes(std::string_view text) {
    const std::string copy(text.substr(0, kHexCommandMaxChars));
    TokenSlot slots[4] = {};
    std::array<uint8_t, 4> bytes{};
    if (!SplitTokens(slots, 4, copy.c_str())) {
        return bytes;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(HexToValue(slots[i]) & 0xFFu);
    }
    return bytes;
}

ManualPreview PreviewManualCommand(std::string_view text, const PtzBase* driver) {
    ManualPreview preview;
    preview.marks = MarkTokens(text);
    if (driver == nullptr) {
        return preview;
    }
    const std::array<uint8_t, 4> b = ManualCommandBytes(text);
    preview.frame = driver->ManualFrame(b[0], b[1], b[2], b[3]);
    CommandRecord record{0, static_cast<uint32_t>(preview.frame.size()), {}};
    std::memcpy(record.byData, preview.frame.data(),
                std::min(preview.frame.size(), sizeof record.byData));
    preview.text = FormatMessage(record);
    return preview;
}
