#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/Hex.h"
#include "tools/DomeDecoder.h"
#include "tools/DomeReport.h"

namespace {

// "D 1 tilt up speed 0x20", "P 1 stop BAD", "skip 2".
std::string Summary(const DomeEvent& e) {
    if (e.kind == DomeEvent::Kind::Garbage) {
        return "skip " + std::to_string(e.skipped);
    }
    const char* proto = e.frame.protocol == DomeProtocol::PelcoD   ? "D"
                        : e.frame.protocol == DomeProtocol::PelcoP ? "P"
                                                                   : "S";
    return std::string(proto) + " " + std::to_string(e.frame.address) + " " +
           CommandText(e.frame.command, true) + (e.frame.checkOk() ? "" : " BAD");
}

struct FrameCase {
    const char* name;
    const char* bytes;
    const char* expected;  // Summary() of the one frame
};

// Every frame the program sends, plus hand-typed ones, each read back alone.
const FrameCase kFrames[] = {
    {"D pan left", "FF 01 00 04 20 20 45", "D 1 pan left speed 0x20"},
    {"D left and up", "FF 01 00 0C 20 20 4D", "D 1 pan left speed 0x20, tilt up speed 0x20"},
    {"D focus near in command 1", "FF 01 01 00 00 00 02", "D 1 focus near"},
    {"D scan on needs the sense bit", "FF 01 90 00 00 00 91", "D 1 auto scan on"},
    {"D unknown extended, sum wraps", "FF E0 00 2B 01 FF 0B", "D 224 extended 0x2b data 01 ff"},
    {"D shot is an absolute zoom", "FF E0 00 4F 01 FF 2F", "D 224 set zoom 511 (1%)"},
    {"D pan query", "FF 25 00 51 00 00 76", "D 37 query pan"},
    {"D pan reply, high byte first", "FF 01 00 59 30 39 C3", "D 1 pan position 123.45\u00b0"},
    {"D tilt reply below the horizon", "FF 01 00 5B 7B 0C E3", "D 1 tilt position -45.00\u00b0"},
    {"D zoom reply at tele", "FF 01 00 5D FF FF 5C", "D 1 zoom position 65535 (100%)"},
    {"D set tilt above the horizon", "FF 01 00 4D 0B B8 11", "D 1 set tilt 30.00\u00b0"},
    {"P pan left uses data 3", "A0 01 00 04 20 00 AF 2A", "P 1 pan left speed 0x20"},
    {"P focus near is data 1 bit 1", "A0 01 02 00 00 00 AF 0C", "P 1 focus near"},
    {"P scan is a call of preset 99", "A0 01 00 07 00 63 AF 6A", "P 1 go to preset 99"},
    {"switch on", "F6 5E 00 01 01 01 61", "S 1 switch on"},
    {"switch check drops bit 7 of the sum", "F6 5E 00 21 01 01 01", "S 33 switch on"},
};

TEST(DomeDecoder, DecodesEveryFrameKind) {
    for (const FrameCase& c : kFrames) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = FromHex(c.bytes);
        DomeDecoder decoder;
        const std::vector<DomeEvent> events = decoder.Feed(bytes.data(), bytes.size());
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(Summary(events[0]), c.expected);
        EXPECT_EQ(events[0].frame.bytes, bytes);
        EXPECT_FALSE(decoder.Pending());
    }
}

struct StreamCase {
    const char* name;
    const char* bytes;
    std::vector<std::string> expected;  // after feeding everything and a flush
};

// clang-format off
const StreamCase kStreams[] = {
    {"press and release", "FF 01 00 08 20 20 49 FF 01 00 00 00 00 01", {"D 1 tilt up speed 0x20", "D 1 stop"}},
    {"garbage before a sync byte", "12 34 56 FF 01 00 00 00 00 01", {"skip 3", "D 1 stop"}},
    {"truncated frame cut by the next one", "FF 01 00 08 FF 01 00 00 00 00 01", {"skip 4", "D 1 stop"}},
    {"bad check reported, then the next frame", "FF 01 00 08 20 20 00 FF 01 00 00 00 00 01", {"D 1 tilt up speed 0x20 BAD", "D 1 stop"}},
    {"a good frame from a bad frame's last byte", "FF 01 00 08 20 20 FF 01 00 00 00 00 01", {"skip 6", "D 1 stop"}},
    {"P start without end marker is garbage", "A0 01 00 04 20 00 00 2A FF 01 00 00 00 00 01", {"skip 8", "D 1 stop"}},
    {"bad frame holding a turbo byte waits, then stands", "FF 01 00 04 FF 20 00", {"D 1 pan left turbo BAD"}},
    {"partial frame at the end is skipped on flush", "FF 01 00 00 00 00 01 FF 01 00", {"D 1 stop", "skip 3"}},
};
// clang-format on

std::vector<std::string> FeedInChunks(const std::vector<uint8_t>& bytes,
                                      const std::vector<size_t>& chunks) {
    DomeDecoder decoder;
    std::vector<std::string> seen;
    size_t pos = 0;
    for (size_t i = 0; pos < bytes.size(); ++i) {
        const size_t n = std::min(chunks[i % chunks.size()], bytes.size() - pos);
        for (const DomeEvent& e : decoder.Feed(bytes.data() + pos, n)) {
            seen.push_back(Summary(e));
        }
        pos += n;
    }
    for (const DomeEvent& e : decoder.Flush()) {
        seen.push_back(Summary(e));
    }
    EXPECT_FALSE(decoder.Pending());
    return seen;
}

TEST(DomeDecoder, StreamsDecodeTheSameHoweverSplit) {
    const std::vector<std::vector<size_t>> splits = {
        {1000},  // all at once
        {1},     // one byte at a time
        {6, 1},
    };
    for (const StreamCase& c : kStreams) {
        const std::vector<uint8_t> bytes = FromHex(c.bytes);
        for (const auto& split : splits) {
            SCOPED_TRACE(std::string(c.name) + ", first chunk " + std::to_string(split[0]));
            EXPECT_EQ(FeedInChunks(bytes, split), c.expected);
        }
    }
}

}  // namespace
