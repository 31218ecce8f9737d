#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/DomeDecoder.h"

// Looks for cameras on a line whose settings are unknown: at each baud rate,
// for each protocol, asks every address for its pan position and waits a
// bounded time for the reply. It sends only that query, never a move, so
// only a camera that answers queries can be found. The caller owns the line
// and the clock: Next() says what to do, Received() hands in what came back.
class CameraScan {
public:
    struct Plan {
        std::vector<unsigned> bauds = {2400, 4800, 9600};
        bool pelcoD = true;
        bool pelcoP = false;
        uint8_t firstAddress = 1;
        uint8_t lastAddress = 255;
    };
    struct Found {
        uint8_t address = 0;
        DomeProtocol protocol = DomeProtocol::PelcoD;
        unsigned baud = 0;
        double pan = 0;
    };
    enum class Do { Reopen, Send, Wait, Done };

    // The time a query and its reply take on the line (8 bytes each, 11 bits
    // a byte so parity fits) plus kMarginMs: a dome answers within a few
    // milliseconds, and a USB adapter may hold each direction's last bytes
    // for its 16 ms latency timer.
    static constexpr uint32_t kMarginMs = 50;
    static uint32_t ReplyTimeoutMs(unsigned baud);

    explicit CameraScan(const Plan& plan);

    // What to do at `nowMs`: Reopen the line at baud(), Send frame(), Wait
    // for bytes or a later call, or nothing more (Done).
    Do Next(uint32_t nowMs);
    unsigned baud() const { return m_openBaud; }
    const std::vector<uint8_t>& frame() const { return m_frame; }
    // Bytes that came back at `nowMs`; a reply after the wait does not count.
    void Received(const uint8_t* data, size_t size, uint32_t nowMs);
    void Cancel() { m_step = m_steps.size(); }

    size_t stepsDone() const { return m_step; }
    size_t stepsTotal() const { return m_steps.size(); }
    const std::vector<Found>& found() const { return m_found; }

private:
    struct Step {
        unsigned baud;
        DomeProtocol protocol;
        uint8_t address;
    };

    std::vector<Step> m_steps;
    size_t m_step = 0;
    unsigned m_openBaud = 0;
    bool m_waiting = false;
    bool m_answered = false;
    double m_pan = 0;
    uint32_t m_deadline = 0;
    std::vector<uint8_t> m_frame;
    DomeDecoder m_decoder;
    std::vector<Found> m_found;
};
