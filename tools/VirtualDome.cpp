#include "tools/VirtualDome.h"

#include <cmath>
#include <cstdio>
#include <utility>

std::vector<std::string> VirtualDome::Feed(const uint8_t* data, size_t size, DomeTime now,
                                           unsigned lineBaud) {
    if (lineBaud != 0 && lineBaud != m_baud) {
        // What was collected at the right speed is cut off as well.
        m_decoder = DomeDecoder();
        char line[128];
        std::snprintf(line, sizeof(line),
                      "%9.3f  line at %u baud, dome at %u: %zu byte%s not understood",
                      static_cast<double>(now.count()) / 1000.0, lineBaud, m_baud, size,
                      size == 1 ? "" : "s");
        return {line};
    }
    return Report(m_decoder.Feed(data, size), now);
}

std::vector<uint8_t> VirtualDome::TakeReplies() {
    return std::exchange(m_replies, {});
}

std::string VirtualDome::Answer(const DomeFrame& frame, const DomeCamera& camera) {
    const uint8_t reply = ReplyFor(frame.command.opcode);
    if (frame.protocol != DomeProtocol::PelcoD ||
        frame.command.kind != DomeCommand::Kind::Extended || reply == 0 ||
        frame.address != m_address) {
        return {};
    }
    uint16_t value = 0;
    if (reply == kPanReply) {
        value = PanValue(camera.pan());
    } else if (reply == kTiltReply) {
        value = TiltValue(camera.tilt());
    } else {
        value = static_cast<uint16_t>(
            std::lround(camera.zoom() / DomeCamera::kLensMax * kZoomValueMax));
    }
    const std::vector<uint8_t> bytes = PelcoDFrame(
        m_address, 0, reply, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value));
    m_replies.insert(m_replies.end(), bytes.begin(), bytes.end());
    return "answered " + HexBytes(bytes);
}

std::vector<std::string> VirtualDome::Flush(DomeTime now) {
    return Report(m_decoder.Flush(), now);
}

const DomeCamera* VirtualDome::Camera(uint8_t address) const {
    const auto it = m_cameras.find(address);
    return it == m_cameras.end() ? nullptr : &it->second;
}

std::vector<std::string> VirtualDome::Report(const std::vector<DomeEvent>& events, DomeTime now) {
    std::vector<std::string> lines;
    for (const DomeEvent& event : events) {
        if (event.kind == DomeEvent::Kind::Garbage) {
            lines.push_back(m_json ? GarbageJson(now, event) : GarbageLine(now, event));
            continue;
        }
        const DomeFrame& frame = event.frame;
        DomeCamera& camera = m_cameras.try_emplace(frame.address, now).first->second;
        std::string remark;
        if (frame.checkOk()) {
            remark = camera.Apply(frame.command, now);
            if (remark.empty()) {
                remark = Answer(frame, camera);
            }
        } else {
            // A dome drops a frame whose check byte is wrong.
            camera.AdvanceTo(now);
            remark = "ignored by the dome";
        }
        lines.push_back(m_json ? FrameJson(now, frame, camera, remark)
                               : FrameLine(now, frame, camera, remark));
    }
    return lines;
}
