#include "tools/DomeReport.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof(text), "%02x", value & 0xFFu);
    return text;
}

std::string Pad(std::string text, size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string Fixed1(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", value);
    return text;
}

std::string Seconds(DomeTime t) {
    char text[32];
    std::snprintf(text, sizeof(text), "%9.3f", static_cast<double>(t.count()) / 1000.0);
    return text;
}

std::string CameraText(const DomeCamera& camera) {
    char text[128];
    std::snprintf(text, sizeof(text), "pan %5.1f tilt %5.1f zoom %3.0f focus %3.0f iris %3.0f",
                  camera.pan(), camera.tilt(), camera.zoom(), camera.focus(), camera.iris());
    std::string out = text;
    if (camera.scanning()) {
        out += " scanning";
    }
    if (!camera.auxOn().empty()) {
        out += " aux";
        char sep = ' ';
        for (uint8_t aux : camera.auxOn()) {
            out += sep + std::to_string(aux);
            sep = ',';
        }
    }
    if (camera.switchOn()) {
        out += " switch-on";
    }
    if (!camera.powered()) {
        out += " camera-off";
    }
    return out;
}

std::string CameraJson(const DomeCamera& camera) {
    std::string aux;
    for (uint8_t id : camera.auxOn()) {
        if (!aux.empty()) {
            aux += ',';
        }
        aux += std::to_string(id);
    }
    return "{\"pan\":" + Fixed1(camera.pan()) + ",\"tilt\":" + Fixed1(camera.tilt()) +
           ",\"zoom\":" + Fixed1(camera.zoom()) + ",\"focus\":" + Fixed1(camera.focus()) +
           ",\"iris\":" + Fixed1(camera.iris()) +
           ",\"scanning\":" + (camera.scanning() ? "true" : "false") +
           ",\"powered\":" + (camera.powered() ? "true" : "false") +
           ",\"switch\":" + (camera.switchOn() ? "true" : "false") + ",\"aux\":[" + aux + "]}";
}

const char* ProtocolKey(DomeProtocol protocol) {
    switch (protocol) {
        case DomeProtocol::PelcoD:
            return "pelco-d";
        case DomeProtocol::PelcoP:
            return "pelco-p";
        case DomeProtocol::Switch:
            return "switch";
    }
    return "";
}

}  // namespace

std::string JsonEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20 || u == 0x7F) {
                    char esc[8];
                    std::snprintf(esc, sizeof(esc), "\\u%04x", u);
                    out += esc;
                } else {
                    out += ch;
                }
        }
    }
    return out;
}

std::string FrameLine(DomeTime t, const DomeFrame& frame, const DomeCamera& camera,
                      const std::string& remark) {
    char head[96];
    std::snprintf(head, sizeof(head), "%s  %-7s addr %-3u  %-23s  ", Seconds(t).c_str(),
                  ProtocolName(frame.protocol), frame.address, HexBytes(frame.bytes).c_str());
    std::string line = head;
    const std::string check =
        frame.checkOk() ? "check OK" : "check BAD (want " + Hex2(frame.expected) + ")";
    line += Pad(check, 19) + "  " + Pad(CommandText(frame.command, true), 30);
    line += "  " + CameraText(camera);
    if (!remark.empty()) {
        line += "  (" + remark + ")";
    }
    return line;
}

std::string FrameJson(DomeTime t, const DomeFrame& frame, const DomeCamera& camera,
                      const std::string& remark) {
    const std::vector<DomeAction> actions = DescribeCommand(frame.command);
    std::string args;
    std::vector<std::string> keys;  // pan left and right together share one speed
    for (const DomeAction& a : actions) {
        for (const auto& [key, value] : a.args) {
            if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
                continue;
            }
            keys.push_back(key);
            args += (args.empty() ? "\"" : ",\"") + JsonEscape(key) + "\":" + std::to_string(value);
        }
    }
    std::string json =
        "{\"t_ms\":" + std::to_string(t.count()) + ",\"event\":\"frame\"" + ",\"protocol\":\"" +
        ProtocolKey(frame.protocol) + "\"" + ",\"address\":" + std::to_string(frame.address) +
        ",\"bytes\":\"" + HexBytes(frame.bytes) + "\",\"check\":\"" +
        (frame.checkOk() ? "ok" : "bad") + "\",\"expected_check\":\"" + Hex2(frame.expected) +
        "\",\"command\":\"" + JsonEscape(ActionsText(actions, false)) + "\",\"text\":\"" +
        JsonEscape(ActionsText(actions, true)) + "\",\"args\":{" + args + "}";
    if (!remark.empty()) {
        json += ",\"remark\":\"" + JsonEscape(remark) + "\"";
    }
    json += ",\"camera\":" + CameraJson(camera) + "}";
    return json;
}

std::string GarbageLine(DomeTime t, const DomeEvent& event) {
    std::string line = Seconds(t) + "  skipped " + std::to_string(event.skipped) +
                       (event.skipped == 1 ? " byte: " : " bytes: ") + HexBytes(event.sample);
    if (event.skipped > event.sample.size()) {
        line += " ...";
    }
    return line;
}

std::string GarbageJson(DomeTime t, const DomeEvent& event) {
    return "{\"t_ms\":" + std::to_string(t.count()) +
           ",\"event\":\"garbage\",\"skipped\":" + std::to_string(event.skipped) + ",\"bytes\":\"" +
           HexBytes(event.sample) + "\"}";
}
