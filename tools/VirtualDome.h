#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/DomeCamera.h"
#include "tools/DomeDecoder.h"
#include "tools/DomeReport.h"

// The decoder and one camera per bus address, turning received bytes into
// log lines. Time is passed in, so the whole dome runs without a clock.
// The dome answers position queries as the camera at its own address, and
// only when the line runs at its own speed: at another one a real dome reads
// noise, so it understands nothing.
class VirtualDome {
public:
    static constexpr uint8_t kDefaultAddress = 1;
    static constexpr unsigned kDefaultBaud = 4800;

    explicit VirtualDome(bool json, uint8_t address = kDefaultAddress, unsigned baud = kDefaultBaud)
        : m_json(json), m_address(address), m_baud(baud) {}

    // Lines (without line ends) for the events these bytes complete.
    // `lineBaud` is the speed the line was set to; 0 when not known.
    std::vector<std::string> Feed(const uint8_t* data, size_t size, DomeTime now,
                                  unsigned lineBaud = 0);
    // The replies owed since the last call, in order, to be written back.
    std::vector<uint8_t> TakeReplies();
    // Lines for what the decoder still held; call when the line goes quiet.
    std::vector<std::string> Flush(DomeTime now);
    bool Pending() const { return m_decoder.Pending(); }

    // The camera at an address, or null before a frame reached it.
    const DomeCamera* Camera(uint8_t address) const;

private:
    std::vector<std::string> Report(const std::vector<DomeEvent>& events, DomeTime now);

    std::string Answer(const DomeFrame& frame, const DomeCamera& camera);

    bool m_json;
    uint8_t m_address;
    unsigned m_baud;
    DomeDecoder m_decoder;
    std::vector<uint8_t> m_replies;
    std::map<uint8_t, DomeCamera> m_cameras;
};
