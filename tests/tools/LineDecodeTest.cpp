#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/Hex.h"
#include "tools/CameraScan.h"
#include "tools/FrameText.h"
#include "tools/LineTrace.h"

namespace {

std::string Line(const LineEntry& e) {
    if (e.event.kind == DomeEvent::Kind::Garbage) {
        return "skip " + std::to_string(e.event.skipped);
    }
    return std::to_string(e.ms) + " " + CommandText(e.event.frame.command, true) +
           (e.event.frame.checkOk() ? "" : " BAD");
}

// The ring keeps the newest lines, in order, and never more than it holds.
TEST(LineTrace, KeepsTheNewestLinesWithinItsCapacity) {
    LineTrace trace(3);
    const std::vector<uint8_t> stop = FromHex("FF 01 00 00 00 00 01");
    for (uint32_t ms = 1; ms <= 5; ++ms) {
        trace.Add(LineDirection::Sent, ms, stop.data(), stop.size());
    }
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace.total(), 5u);
    EXPECT_EQ(Line(trace.at(0)), "3 stop");
    EXPECT_EQ(Line(trace.at(2)), "5 stop");
}

// What is received is one stream whatever the reads: a reply split across
// them is one line, and Pelco-P frames are read as well as Pelco-D.
TEST(LineTrace, ReadsReceivedFramesAcrossReads) {
    LineTrace trace;
    const std::vector<uint8_t> bytes =
        FromHex("FF 01 00 59 30 39 C3 A0 01 00 07 00 5F AF 56 12 FF 01 00 5B 7B 0C E3");
    for (size_t i = 0; i < bytes.size(); i += 4) {
        trace.Add(LineDirection::Received, static_cast<uint32_t>(i), bytes.data() + i,
                  std::min<size_t>(4, bytes.size() - i));
    }
    trace.FlushReceived(99);
    std::vector<std::string> lines;
    for (size_t i = 0; i < trace.size(); ++i) {
        lines.push_back(Line(trace.at(i)));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"4 pan position 123.45\u00b0", "12 go to preset 95",
                                               "skip 1", "20 tilt position -45.00\u00b0"}));
}

struct ScanCase {
    const char* name;
    unsigned replyAfterMs;  // after the query to address 2
    const char* reply;
    size_t found;
};

// Addresses 1-3 at 9600 baud; only address 2 gets an answer, after a while.
// The wait is 2 x 8 bytes of 11 bits at 9600 baud (19 ms) plus the margin.
// clang-format off
const ScanCase kScanCases[] = {
    {"a reply in time is found once", 60, "FF 02 00 59 00 64 BF", 1},
    {"a reply after the wait is not", 69, "FF 02 00 59 00 64 BF", 0},
    {"a reply from another address is not", 1, "FF 03 00 59 00 64 C0", 0},
    {"a reply with a wrong check byte is not", 1, "FF 02 00 59 00 64 00", 0},
};
// clang-format on

TEST(CameraScan, FindsWhatAnswersInTimeOnly) {
    EXPECT_EQ(CameraScan::ReplyTimeoutMs(9600), 69u);
    for (const ScanCase& c : kScanCases) {
        SCOPED_TRACE(c.name);
        CameraScan::Plan plan;
        plan.bauds = {9600};
        plan.firstAddress = 1;
        plan.lastAddress = 3;
        CameraScan scan(plan);
        uint32_t now = 1000;
        std::vector<std::string> sent;
        const std::vector<uint8_t> reply = FromHex(c.reply);
        for (CameraScan::Do d = scan.Next(now); d != CameraScan::Do::Done; d = scan.Next(now)) {
            if (d == CameraScan::Do::Reopen) {
                EXPECT_EQ(scan.baud(), 9600u);
            } else if (d == CameraScan::Do::Send) {
                sent.push_back(HexBytes(scan.frame()));
                if (scan.frame()[1] == 2) {
                    now += c.replyAfterMs;
                    scan.Received(reply.data(), reply.size(), now);
                }
            } else {
                now += 1;
            }
        }
        EXPECT_EQ(sent, (std::vector<std::string>{"ff 01 00 51 00 00 52", "ff 02 00 51 00 00 53",
                                                  "ff 03 00 51 00 00 54"}));
        ASSERT_EQ(scan.found().size(), c.found);
        if (c.found == 1) {
            EXPECT_EQ(scan.found()[0].address, 2);
            EXPECT_DOUBLE_EQ(scan.found()[0].pan, 1.0);
        }
    }
}

}  // namespace
