#include "tools/FrameText.h"

#include <cstdio>

namespace {

struct Words {
    TextLookup lookup;
    std::string operator()(const char* english) const {
        return lookup != nullptr ? lookup(english) : std::string(english);
    }
};

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof(text), "%02x", value & 0xFFu);
    return text;
}

std::string Number(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

std::string SpeedText(uint8_t speed, bool turbo, const Words& w) {
    return turbo ? w("turbo") : w("speed") + " 0x" + Hex2(speed);
}

void AddStandard(const DomeCommand& c, std::vector<DomeAction>& out, const Words& w) {
    const std::pair<bool, const char*> lens[] = {
        {c.zoomTele, "zoom tele"}, {c.zoomWide, "zoom wide"}, {c.focusNear, "focus near"},
        {c.focusFar, "focus far"}, {c.irisOpen, "iris open"}, {c.irisClose, "iris close"},
    };
    if (c.panLeft) {
        out.push_back(
            {w("pan left"), SpeedText(c.panSpeed, c.panTurbo, w), {{"pan_speed", c.panSpeed}}});
    }
    if (c.panRight) {
        out.push_back(
            {w("pan right"), SpeedText(c.panSpeed, c.panTurbo, w), {{"pan_speed", c.panSpeed}}});
    }
    if (c.tiltUp) {
        out.push_back(
            {w("tilt up"), SpeedText(c.tiltSpeed, false, w), {{"tilt_speed", c.tiltSpeed}}});
    }
    if (c.tiltDown) {
        out.push_back(
            {w("tilt down"), SpeedText(c.tiltSpeed, false, w), {{"tilt_speed", c.tiltSpeed}}});
    }
    for (const auto& [on, name] : lens) {
        if (on) {
            out.push_back({w(name), {}, {}});
        }
    }
    if (c.scan != DomeCommand::Toggle::None) {
        out.push_back(
            {w(c.scan == DomeCommand::Toggle::On ? "auto scan on" : "auto scan off"), {}, {}});
    }
    if (c.power != DomeCommand::Toggle::None) {
        out.push_back({w(c.power == DomeCommand::Toggle::On ? "camera on" : "camera off"), {}, {}});
    }
    if (out.empty()) {
        out.push_back({w("stop"), {}, {}});
    }
}

// Position commands and replies: the value as people read it.
bool AddPosition(const DomeCommand& c, std::vector<DomeAction>& out, const Words& w) {
    const uint16_t v = c.value();
    const char* name = nullptr;
    std::string detail;
    switch (c.opcode) {
        case kQueryPan:
            name = "query pan";
            break;
        case kQueryTilt:
            name = "query tilt";
            break;
        case kQueryZoom:
            name = "query zoom";
            break;
        case kSetPan:
        case kPanReply:
            name = c.opcode == kSetPan ? "set pan" : "pan position";
            detail = Number("%.2f\xC2\xB0", PanDegrees(v));
            break;
        case kSetTilt:
        case kTiltReply:
            name = c.opcode == kSetTilt ? "set tilt" : "tilt position";
            detail = Number("%.2f\xC2\xB0", TiltDegrees(v));
            break;
        case kSetZoom:
        case kZoomReply:
            name = c.opcode == kSetZoom ? "set zoom" : "zoom position";
            detail = std::to_string(v) + " (" + Number("%.0f%%", v * 100.0 / kZoomValueMax) + ")";
            break;
        default:
            return false;
    }
    out.push_back({w(name), detail, {{"value", v}}});
    return true;
}

void AddExtended(const DomeCommand& c, std::vector<DomeAction>& out, const Words& w) {
    const char* name = nullptr;
    const char* key = "preset";
    switch (c.opcode) {
        case kSetPreset:
            name = "set preset";
            break;
        case kClearPreset:
            name = "clear preset";
            break;
        case kGoToPreset:
            name = "go to preset";
            break;
        case kSetAux:
            name = "set aux";
            key = "aux";
            break;
        case kClearAux:
            name = "clear aux";
            key = "aux";
            break;
        default:
            if (AddPosition(c, out, w)) {
                return;
            }
            break;
    }
    if (name != nullptr) {
        out.push_back({w(name), std::to_string(c.data2), {{key, c.data2}}});
        return;
    }
    out.push_back({w("extended") + " 0x" + Hex2(c.opcode),
                   w("data") + " " + Hex2(c.data1) + " " + Hex2(c.data2),
                   {{"opcode", c.opcode}, {"data1", c.data1}, {"data2", c.data2}}});
}

}  // namespace

std::vector<DomeAction> DescribeCommand(const DomeCommand& command, TextLookup lookup) {
    const Words w{lookup};
    std::vector<DomeAction> out;
    switch (command.kind) {
        case DomeCommand::Kind::Standard:
            AddStandard(command, out, w);
            break;
        case DomeCommand::Kind::Extended:
            AddExtended(command, out, w);
            break;
        case DomeCommand::Kind::Switch:
            out.push_back({w(command.switchOn ? "switch on" : "switch off"),
                           {},
                           {{"on", command.switchOn ? 1 : 0}}});
            break;
    }
    return out;
}

std::string ActionsText(const std::vector<DomeAction>& actions, bool withDetail) {
    std::string text;
    for (const DomeAction& a : actions) {
        if (!text.empty()) {
            text += ", ";
        }
        text += a.name;
        if (withDetail && !a.detail.empty()) {
            text += " " + a.detail;
        }
    }
    return text;
}

std::string CommandText(const DomeCommand& command, bool withDetail, TextLookup lookup) {
    return ActionsText(DescribeCommand(command, lookup), withDetail);
}

const char* ProtocolName(DomeProtocol protocol) {
    switch (protocol) {
        case DomeProtocol::PelcoD:
            return "Pelco-D";
        case DomeProtocol::PelcoP:
            return "Pelco-P";
        case DomeProtocol::Switch:
            return "switch";
    }
    return "";
}

std::string HexBytes(const uint8_t* bytes, size_t size) {
    std::string text;
    text.reserve(size * 3);
    for (size_t i = 0; i < size; ++i) {
        if (i != 0) {
            text += ' ';
        }
        text += Hex2(bytes[i]);
    }
    return text;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    return HexBytes(bytes.data(), bytes.size());
}
