// Thousands of press/release cycles and function clicks with the log thread
// running: every frame reaches the line whole and in order, memory does not
// grow per command and nothing deadlocks.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "platform/Semaphore.h"
#include "tests/fault/FaultUtil.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tests/support/WaitUntil.h"
#include "tools/DomeReport.h"

namespace {

// Id and meaning as the dome reads it, at rate 32 and preset 1.
const std::pair<int, const char*> kHolds[] = {
    {IDC_BTN_UP, "tilt up speed 0x20"},
    {IDC_BTN_LD, "pan left speed 0x20, tilt down speed 0x20"},
    {IDC_BTN_TELE, "zoom tele"},
    {IDC_BTN_NEAR, "focus near"},
    {IDC_BTN_OPEN, "iris open"}};
const std::pair<int, const char*> kClicks[] = {{IDC_BTN_PRESET, "set preset 1"},
                                               {IDC_BTN_CALL, "go to preset 1"},
                                               {IDC_BTN_SETAUX, "set aux 1"},
                                               {IDC_BTN_MENU, "go to preset 95"}};

TEST(DialogStress, EveryCommandOfALongSessionReachesTheLineWholeAndInOrder) {
    const int cycles = StressCycles(10000);
    DialogHarness h;
    h.Select(IDC_COMBO_PTZMODEL, 0);
    ASSERT_TRUE(h.OpenPort());
    DomePeer dome(h.pty().master());

    // The port keeps one request pending, so each command waits for its frame
    // before the next is queued; the log thread and the list run as usual.
    std::vector<const char*> expected;
    expected.reserve(static_cast<size_t>(cycles) * 3 + 2);
    auto sent = [&](const char* meaning) {
        expected.push_back(meaning);
        return dome.WaitForFrames(expected.size());
    };
    const int warmUp = std::max(1, std::min(cycles / 10, 500));
    size_t inUseAfterWarmUp = 0;
    size_t sentAfterWarmUp = 0;
    for (int i = 0; i <= cycles; ++i) {
        // The last cycle is a plain hold, so the list ends with its stop.
        const auto& [hold, holdMeaning] = i == cycles ? kHolds[0] : kHolds[i % 5];
        h.Press(hold);
        ASSERT_TRUE(sent(holdMeaning)) << "cycle " << i;
        h.Release(hold);
        ASSERT_TRUE(sent("stop")) << "cycle " << i;
        if (i % 10 == 9 && i < cycles) {
            const auto& [click, clickMeaning] = kClicks[(i / 10) % 4];
            ASSERT_TRUE(h.Click(click));
            ASSERT_TRUE(sent(clickMeaning)) << "cycle " << i;
        }
        // Posted list appends run now and then, as in a busy event loop.
        if (i % 32 == 31) {
            h.ProcessEvents();
        }
        if (i + 1 == warmUp) {
            inUseAfterWarmUp = MemoryInUse();
            sentAfterWarmUp = expected.size();
        }
    }
    // What the test itself keeps per command (the dome's decoded frame, a
    // row) is a few hundred bytes at most; a leak of a kilobyte per command
    // must show. Too few commands would measure pages, not commands.
    const size_t inUse = MemoryInUse();
    const size_t counted = expected.size() - sentAfterWarmUp;
    const size_t perCommand = (inUse - std::min(inUse, inUseAfterWarmUp)) / counted;
    EXPECT_TRUE(counted < 5000 || perCommand < 512) << perCommand << " bytes per command";

    // Clicks are listed at once, holds by the log thread.
    const std::string stopText = "ff 01 00 00 00 00 01";
    WaitUntil([&] {
        h.ProcessEvents();
        return g_hMsgSemaphore->Count() == 0 && h.Rows() > 0 &&
               h.Row(h.Rows() - 1).message == stopText;
    });
    dome.Stop();
    const std::vector<DomeFrame> frames = dome.Frames();
    EXPECT_EQ(dome.GarbageBytes(), 0u);
    ASSERT_EQ(frames.size(), expected.size());
    size_t wrong = 0;
    std::set<std::string> texts;
    for (size_t k = 0; k < frames.size(); ++k) {
        const bool ok = frames[k].checkOk() && frames[k].address == 1 &&
                        CommandText(frames[k].command, true) == expected[k];
        if (!ok && ++wrong <= 5) {
            ADD_FAILURE() << "frame " << k << " " << HexBytes(frames[k].bytes) << ", expected \""
                          << expected[k] << "\"";
        }
        texts.insert(HexBytes(frames[k].bytes));
    }
    EXPECT_EQ(wrong, 0u);

    // The list holds at least every click, and nothing that never went out.
    EXPECT_GE(h.Rows(), cycles / 10);
    EXPECT_LE(static_cast<size_t>(h.Rows()), expected.size());
    for (int row = 0; row < h.Rows(); ++row) {
        ASSERT_EQ(texts.count(h.Row(row).message), 1u) << "row " << row << " was never sent";
    }
    EXPECT_EQ(h.Row(h.Rows() - 1).message, stopText);
}

}  // namespace
