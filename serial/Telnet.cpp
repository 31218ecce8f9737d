#include "serial/Telnet.h"

namespace telnet {

namespace {

// Options this side takes on either direction; any other is refused.
bool Wanted(uint8_t option) {
    return option == kOptBinary || option == kOptSuppressGoAhead || option == kOptComPort;
}

}  // namespace

size_t EscapeData(const uint8_t* data, size_t count, uint8_t* out) {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        out[n++] = data[i];
        if (data[i] == kIac) {
            out[n++] = kIac;
        }
    }
    return n;
}

std::string ComPortRequest(uint8_t code, uint32_t value, unsigned valueBytes) {
    std::string out{char(kIac), char(kSb), char(kOptComPort), char(code)};
    for (unsigned i = valueBytes; i-- > 0;) {
        const auto byte = static_cast<uint8_t>(value >> (8 * i));
        out += char(byte);
        if (byte == kIac) {
            out += char(kIac);
        }
    }
    out += char(kIac);
    out += char(kSe);
    return out;
}

std::string Command(uint8_t verb, uint8_t option) {
    return std::string{char(kIac), char(verb), char(option)};
}

size_t Reader::Take(uint8_t* buffer, size_t count) {
    size_t data = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = buffer[i];
        switch (m_mode) {
            case Mode::Data:
                if (byte == kIac) {
                    m_mode = Mode::Iac;
                } else {
                    buffer[data++] = byte;
                }
                break;
            case Mode::Iac:
                if (byte == kIac) {
                    buffer[data++] = byte;
                    m_mode = Mode::Data;
                } else if (byte >= kWill && byte <= kDont) {
                    m_verb = byte;
                    m_mode = Mode::Verb;
                } else if (byte == kSb) {
                    m_subCount = 0;
                    m_mode = Mode::Sub;
                } else {
                    m_mode = Mode::Data;  // NOP, GA and the like carry nothing here
                }
                break;
            case Mode::Verb:
                Negotiate(m_verb, byte);
                m_mode = Mode::Data;
                break;
            case Mode::Sub:
                if (byte == kIac) {
                    m_mode = Mode::SubIac;
                } else if (m_subCount < kMaxSub) {
                    m_sub[m_subCount++] = byte;
                }
                break;
            case Mode::SubIac:
                if (byte == kIac) {
                    if (m_subCount < kMaxSub) {
                        m_sub[m_subCount++] = byte;
                    }
                    m_mode = Mode::Sub;
                } else {
                    // IAC SE ends it; any other command ends it too, broken.
                    EndSub();
                    m_mode = Mode::Data;
                }
                break;
        }
    }
    return data;
}

void Reader::Negotiate(uint8_t verb, uint8_t option) {
    // A reply only when the state changes, so two sides cannot loop.
    const bool enable = verb == kWill || verb == kDo;
    const bool ours = verb == kDo || verb == kDont;
    State& state = ours ? m_local[option] : m_remote[option];
    if (option == kOptComPort && ours) {
        m_comPortAgreed = enable;
        m_comPortRefused = !enable;
    }
    const State wanted = enable && Wanted(option) ? State::Yes : State::No;
    if (state == wanted) {
        return;
    }
    state = wanted;
    const uint8_t reply =
        ours ? (wanted == State::Yes ? kWill : kWont) : (wanted == State::Yes ? kDo : kDont);
    m_replies += Command(reply, option);
}

void Reader::EndSub() {
    if (m_subCount < 2 || m_sub[0] != kOptComPort) {
        return;
    }
    const uint8_t code = m_sub[1];
    if (code <= kServerOffset || code > kServerOffset + kSetStopSize) {
        return;
    }
    uint32_t value = 0;
    for (size_t i = 2; i < m_subCount && i < 6; ++i) {
        value = (value << 8) | m_sub[i];
    }
    m_answers[code - kServerOffset] = Answer{true, value};
}

std::string Reader::TakeReplies() {
    std::string out;
    out.swap(m_replies);
    return out;
}

Reader::Answer Reader::AnswerTo(uint8_t code) const {
    return code >= 1 && code <= kSetStopSize ? m_answers[code] : Answer{};
}

void Reader::ForgetAnswers() {
    for (Answer& a : m_answers) {
        a = Answer{};
    }
}

}  // namespace telnet
