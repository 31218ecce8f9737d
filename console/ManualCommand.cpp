#include "console/ManualCommand.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "commandlist/CommandRecord.h"
#include "commandlist/CommandRow.h"
#include "commandlist/HexText.h"
#include "console/Texts.h"
#include "ptz/PtzBase.h"

namespace {

using texts::Fill;
using texts::translate;

constexpr std::size_t kManualTokens = 4;
constexpr std::size_t kByteDigits = 2;
// Tokens named in a refusal per reason; a pasted line can hold dozens.
constexpr std::size_t kNamedTokens = 3;
constexpr std::size_t kNamedTokenChars = 12;

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

// The bytes of a text made of nothing but byte tokens between single spaces,
// the way a frame is typed or pasted; nullopt for anything else.
std::optional<std::vector<uint8_t>> FrameBytes(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string_view::npos || last >= kHexCommandMaxChars) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    for (std::size_t pos = first; pos <= last;) {
        const std::size_t end = std::min(text.find(' ', pos), last + 1);
        const std::string_view token = text.substr(pos, end - pos);
        if (Misread(token)) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(HexToValue(std::string(token).c_str())));
        pos = end + 1;
    }
    return bytes;
}

std::string ByteText(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

std::string FrameText(const std::vector<uint8_t>& frame) {
    CommandRecord record{0, static_cast<uint32_t>(frame.size()), {}};
    std::memcpy(record.byData, frame.data(), std::min(frame.size(), sizeof record.byData));
    return FormatMessage(record);
}

// A token as the operator typed it, quoted; a long one cut short.
std::string Quoted(std::string_view token) {
    if (token.size() <= kNamedTokenChars) {
        return '"' + std::string(token) + '"';
    }
    std::size_t cut = kNamedTokenChars - 3;
    // Never end inside a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(token[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return '"' + std::string(token.substr(0, cut)) + "...\"";
}

// "\"a\" is not hex", "\"a\", \"b\" and 2 more are ignored"; empty for none.
// `one` and `many` say it of one token and of several.
std::string Reason(std::string_view text, const std::vector<HexTokenMark>& marks,
                   HexTokenMark::Kind kind, const std::string& one, const std::string& many) {
    std::vector<std::string> names;
    std::size_t count = 0;
    for (const HexTokenMark& mark : marks) {
        if (mark.kind == kind && count++ < kNamedTokens) {
            names.push_back(Quoted(text.substr(mark.offset, mark.length)));
        }
    }
    if (count == 0) {
        return {};
    }
    if (count > names.size()) {
        names.push_back(
            Fill(translate("ManualCommand", "%1 more"), {std::to_string(count - names.size())}));
    }
    std::string reason = names.front();
    for (std::size_t i = 1; i < names.size(); ++i) {
        const std::string join = i + 1 == names.size() ? translate("ManualCommand", "%1 and %2")
                                                       : translate("ManualCommand", "%1, %2");
        reason = Fill(join, {reason, names[i]});
    }
    return Fill(count == 1 ? one : many, {reason});
}

std::string MarksRefusal(std::string_view text, const std::vector<HexTokenMark>& marks) {
    std::string reasons;
    for (const std::string& reason :
         {Reason(text, marks, HexTokenMark::NotHex, translate("ManualCommand", "%1 is not hex"),
                 translate("ManualCommand", "%1 are not hex")),
          Reason(text, marks, HexTokenMark::TooLong,
                 translate("ManualCommand", "%1 is too long for one byte"),
                 translate("ManualCommand", "%1 are too long for one byte")),
          Reason(text, marks, HexTokenMark::Ignored, translate("ManualCommand", "%1 is ignored"),
                 translate("ManualCommand", "%1 are ignored"))}) {
        if (!reason.empty()) {
            reasons = reasons.empty()
                          ? reason
                          : Fill(translate("ManualCommand", "%1; %2"), {reasons, reason});
        }
    }
    std::string message = Fill(translate("ManualCommand", "Nothing was sent: %1."), {reasons});
    if (std::any_of(marks.begin(), marks.end(),
                    [](const HexTokenMark& m) { return m.kind == HexTokenMark::Ignored; })) {
        message = Fill(translate("ManualCommand",
                                 "%1 Send takes four command bytes, or one whole frame of the "
                                 "current protocol."),
                       {message});
    }
    return message;
}

}  // namespace

ManualPreview PreviewManualCommand(std::string_view text, const PtzBase* driver) {
    ManualPreview preview;
    const auto typed = driver != nullptr ? FrameBytes(text) : std::nullopt;
    const auto check = typed ? driver->WholeFrameCheck(typed->data(), typed->size()) : std::nullopt;
    if (check && typed->back() == *check) {
        preview.action = ManualPreview::WholeFrame;
        preview.frame = *typed;
        preview.line =
            Fill(translate("ManualCommand", "Whole frame: %1"), {FrameText(preview.frame)});
        return preview;
    }
    // The note under the field is narrow: the message says it in full.
    if (check) {
        preview.action = ManualPreview::Refused;
        preview.line = Fill(translate("ManualCommand", "Frame: none (check byte %1, not %2)"),
                            {FrameText({*check}), FrameText({typed->back()})});
        preview.refusal =
            Fill(translate("ManualCommand",
                           "Nothing was sent: the check byte is %1; this frame needs %2."),
                 {ByteText(typed->back()), ByteText(*check)});
        return preview;
    }
    preview.marks = MarkTokens(text);
    if (driver == nullptr) {
        preview.line = translate("ManualCommand", "Frame: none (no PTZ driver)");
        return preview;
    }
    if (!preview.marks.empty()) {
        preview.action = ManualPreview::Refused;
        preview.line = translate("ManualCommand", "Frame: none (fix the tokens in red)");
        preview.refusal = MarksRefusal(text, preview.marks);
        return preview;
    }
    preview.action = ManualPreview::CommandBytes;
    preview.bytes = ManualCommandBytes(text);
    const std::array<uint8_t, 4>& b = preview.bytes;
    preview.frame = driver->ManualFrame(b[0], b[1], b[2], b[3]);
    preview.line = Fill(translate("ManualCommand", "Frame: %1"), {FrameText(preview.frame)});
    return preview;
}
