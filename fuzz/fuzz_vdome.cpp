// The virtual dome's decoder and camera model over any byte stream, fed in
// chunks whose sizes come from the input too. Every byte must be accounted
// for: each is either part of a frame or reported as skipped.
#include <cstddef>
#include <cstdint>

#include "tools/DomeDecoder.h"
#include "tools/VirtualDome.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t chunk = 1 + data[0] % 16;
    data += 1;
    size -= 1;

    DomeDecoder decoder;
    size_t accounted = 0;
    auto count = [&](const std::vector<DomeEvent>& events) {
        for (const DomeEvent& e : events) {
            accounted += e.kind == DomeEvent::Kind::Frame ? e.frame.bytes.size() : e.skipped;
        }
    };
    for (size_t at = 0; at < size; at += chunk) {
        count(decoder.Feed(data + at, size - at < chunk ? size - at : chunk));
    }
    count(decoder.Flush());
    if (accounted != size)
        __builtin_trap();

    VirtualDome dome(true);
    DomeTime now{};
    for (size_t at = 0; at < size; at += chunk) {
        now += std::chrono::milliseconds(data[at]);
        (void)dome.Feed(data + at, size - at < chunk ? size - at : chunk, now);
    }
    (void)dome.Flush(now);
    return 0;
}
