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
class VirtualDome {
public:
    explicit VirtualDome(bool json) : m_json(json) {}

    // Lines (without line ends) for the events these bytes complete.
    std::vector<std::string> Feed(const uint8_t* data, size_t size, DomeTime now);
    // Lines for what the decoder still held; call when the line goes quiet.
    std::vector<std::string> Flush(DomeTime now);
    bool Pending() const { return m_decoder.Pending(); }

    // The camera at an address, or null before a frame reached it.
    const DomeCamera* Camera(uint8_t address) const;

private:
    std::vector<std::string> Report(const std::vector<DomeEvent>& events, DomeTime now);

    bool m_json;
    DomeDecoder m_decoder;
    std::map<uint8_t, DomeCamera> m_cameras;
};
