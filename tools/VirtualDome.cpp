#include "tools/VirtualDome.h"

std::vector<std::string> VirtualDome::Feed(const uint8_t* data, size_t size, DomeTime now) {
    return Report(m_decoder.Feed(data, size), now);
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
