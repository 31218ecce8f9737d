// The telnet reader over any byte stream: what it makes of the stream does
// not depend on where the reads end, it stays inside what it was given, and
// data escaped by EscapeData comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "serial/Telnet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::vector<uint8_t> input(data + 1, data + size);
    const size_t cut = input.empty() ? 0 : data[0] % (input.size() + 1);

    telnet::Reader whole;
    std::vector<uint8_t> once = input;
    once.resize(whole.Take(once.data(), once.size()));

    telnet::Reader split;
    std::vector<uint8_t> head(input.begin(), input.begin() + cut);
    std::vector<uint8_t> tail(input.begin() + cut, input.end());
    head.resize(split.Take(head.data(), head.size()));
    tail.resize(split.Take(tail.data(), tail.size()));
    head.insert(head.end(), tail.begin(), tail.end());
    bool same = head == once && whole.TakeReplies() == split.TakeReplies();
    for (uint8_t code = 1; code <= telnet::kSetStopSize; ++code) {
        same = same && whole.AnswerTo(code) == split.AnswerTo(code);
    }
    if (!same) {
        __builtin_trap();
    }

    std::vector<uint8_t> escaped(2 * input.size());
    escaped.resize(telnet::EscapeData(input.data(), input.size(), escaped.data()));
    telnet::Reader back;
    escaped.resize(back.Take(escaped.data(), escaped.size()));
    if (escaped != input) {
        __builtin_trap();
    }
    return 0;
}
