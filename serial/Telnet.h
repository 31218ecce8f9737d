#pragma once

// The telnet side of RFC 2217: escaping the data, reading a stream of data
// and commands, and the COM-PORT-OPTION requests. No sockets here, so the
// reader can be fed any bytes (fuzz/fuzz_telnet.cpp).

#include <cstddef>
#include <cstdint>
#include <string>

namespace telnet {

constexpr uint8_t kIac = 255;
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;
constexpr uint8_t kSe = 240;

constexpr uint8_t kOptBinary = 0;
constexpr uint8_t kOptSuppressGoAhead = 3;
constexpr uint8_t kOptComPort = 44;

// COM-PORT-OPTION requests from the client; the server answers each with the
// same code plus kServerOffset and the value it now uses.
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kServerOffset = 100;
constexpr uint8_t kParityNone = 1;
constexpr uint8_t kParityOdd = 2;
constexpr uint8_t kParityEven = 3;

// Copies `count` data bytes to `out` with every 0xFF doubled; `out` holds
// 2 * count. Returns the bytes written.
size_t EscapeData(const uint8_t* data, size_t count, uint8_t* out);

// IAC SB COM-PORT-OPTION code value IAC SE, the value big-endian in
// `valueBytes` (1 or 4) bytes and escaped.
std::string ComPortRequest(uint8_t code, uint32_t value, unsigned valueBytes);

std::string Command(uint8_t verb, uint8_t option);

// Reads the server's stream. Any byte sequence is safe, split anywhere.
class Reader {
public:
    // Longest subnegotiation kept; the rest of a longer one is dropped.
    static constexpr size_t kMaxSub = 16;

    struct Answer {
        bool seen = false;
        uint32_t value = 0;
        bool operator==(const Answer&) const = default;
    };

    // Turns `count` received bytes into data in place: the data bytes, IACs
    // undoubled, end up at the front of `buffer`. Returns their number.
    size_t Take(uint8_t* buffer, size_t count);

    // Marks an option this side offered (WILL) or asked for (DO), so the
    // server's agreement is not answered again.
    void Offered(uint8_t option) { m_local[option] = State::Yes; }
    void Asked(uint8_t option) { m_remote[option] = State::Yes; }

    // What this side owes the server for its requests; TakeReplies empties it.
    std::string TakeReplies();

    bool ComPortAgreed() const { return m_comPortAgreed; }
    bool ComPortRefused() const { return m_comPortRefused; }
    // The server's last answer to request `code` (1..4).
    Answer AnswerTo(uint8_t code) const;
    void ForgetAnswers();

private:
    enum class Mode { Data, Iac, Verb, Sub, SubIac };
    enum class State : uint8_t { Unknown, Yes, No };

    void Negotiate(uint8_t verb, uint8_t option);
    void EndSub();

    Mode m_mode = Mode::Data;
    uint8_t m_verb = 0;
    uint8_t m_sub[kMaxSub] = {};
    size_t m_subCount = 0;
    State m_local[256] = {};
    State m_remote[256] = {};
    bool m_comPortAgreed = false;
    bool m_comPortRefused = false;
    Answer m_answers[5];
    std::string m_replies;
};

}  // namespace telnet
