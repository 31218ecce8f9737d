#include "tools/CameraScan.h"

namespace {

std::vector<uint8_t> PanQuery(DomeProtocol protocol, uint8_t address) {
    if (protocol == DomeProtocol::PelcoD) {
        return PelcoDFrame(address, 0, kQueryPan, 0, 0);
    }
    std::vector<uint8_t> f = {kPelcoPStart, address, 0, kQueryPan, 0, 0, kPelcoPEnd, 0};
    f[7] = PelcoPCheck(f.data());
    return f;
}

}  // namespace

uint32_t CameraScan::ReplyTimeoutMs(unsigned baud) {
    constexpr uint32_t kBits = 2 * 8 * 11;
    const unsigned rate = baud == 0 ? 1 : baud;
    return (kBits * 1000 + rate - 1) / rate + kMarginMs;
}

CameraScan::CameraScan(const Plan& plan) {
    std::vector<DomeProtocol> protocols;
    if (plan.pelcoD) {
        protocols.push_back(DomeProtocol::PelcoD);
    }
    if (plan.pelcoP) {
        protocols.push_back(DomeProtocol::PelcoP);
    }
    for (unsigned baud : plan.bauds) {
        for (DomeProtocol protocol : protocols) {
            for (unsigned a = plan.firstAddress; a <= plan.lastAddress; ++a) {
                m_steps.push_back({baud, protocol, static_cast<uint8_t>(a)});
            }
        }
    }
}

CameraScan::Do CameraScan::Next(uint32_t nowMs) {
    while (m_step < m_steps.size()) {
        const Step& step = m_steps[m_step];
        if (step.baud != m_openBaud) {
            m_openBaud = step.baud;
            return Do::Reopen;
        }
        if (!m_waiting) {
            m_frame = PanQuery(step.protocol, step.address);
            m_decoder = DomeDecoder();
            m_waiting = true;
            m_answered = false;
            m_deadline = nowMs + ReplyTimeoutMs(step.baud);
            return Do::Send;
        }
        // Ticks are 32-bit and may wrap: compare the difference.
        if (!m_answered && static_cast<int32_t>(nowMs - m_deadline) < 0) {
            return Do::Wait;
        }
        if (m_answered) {
            m_found.push_back({step.address, step.protocol, step.baud, m_pan});
        }
        m_waiting = false;
        ++m_step;
    }
    return Do::Done;
}

void CameraScan::Received(const uint8_t* data, size_t size, uint32_t nowMs) {
    if (!m_waiting || m_step >= m_steps.size() || static_cast<int32_t>(nowMs - m_deadline) >= 0) {
        return;
    }
    const Step& step = m_steps[m_step];
    for (const DomeEvent& e : m_decoder.Feed(data, size)) {
        const DomeFrame& f = e.frame;
        // Only the asked address's reply counts: a late one from the address
        // before, or a keyboard's frame on the same bus, does not.
        if (e.kind == DomeEvent::Kind::Frame && f.checkOk() && f.protocol == step.protocol &&
            f.address == step.address && f.command.kind == DomeCommand::Kind::Extended &&
            f.command.opcode == kPanReply) {
            m_answered = true;
            m_pan = PanDegrees(f.command.value());
        }
    }
}
