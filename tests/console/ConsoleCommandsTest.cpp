#include <gtest/gtest.h>

#include <string>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "console/FunctionButtons.h"
#include "console/HoldCommand.h"
#include "console/ManualCommand.h"
#include "platform/Semaphore.h"
#include "tests/console/FakeDriver.h"

namespace {

// The console globals pointed at a fake driver and a private semaphore.
class ConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_pPtz = &m_driver;
        g_nCtrlRate = 32;
        g_hMsgSemaphore = &m_sem;
        g_pLastCmdTick = &m_lastTick;
    }
    void TearDown() override {
        g_pPtz = nullptr;
        g_hMsgSemaphore = nullptr;
        g_pLastCmdTick = nullptr;
        g_nCtrlRate = 32;
    }
    FakeDriver m_driver;
    Semaphore m_sem{0, 1};
    uint32_t m_lastTick = 0;
};

TEST_F(ConsoleTest, EachHoldCodeStartsItsMotionAndEveryReleaseSendsTheGeneralStop) {
    const std::pair<int, const char*> cases[] = {
        {0, "Action(0,32,32)"}, {1, "Action(1,32,32)"}, {2, "Action(2,32,32)"},
        {3, "Action(3,32,32)"}, {4, "Action(4,32,32)"}, {5, "Action(5,32,32)"},
        {6, "Action(6,32,32)"}, {7, "Action(7,32,32)"}, {8, "Zoom(8,4)"},
        {9, "Zoom(9,4)"},       {10, "Focus(10,4)"},    {11, "Focus(11,4)"},
        {12, "Iris(12,4)"},     {13, "Iris(13,4)"},
    };
    for (const auto& [code, start] : cases) {
        m_driver.calls.clear();
        HoldPress(code);
        EXPECT_TRUE(m_sem.WaitFor(0) == Semaphore::WaitResult::Acquired) << code;
        HoldRelease();
        EXPECT_TRUE(m_sem.WaitFor(0) == Semaphore::WaitResult::Acquired) << code;
        EXPECT_EQ(m_driver.calls, (std::vector<std::string>{start, "Action(14,32,32)"})) << code;
    }
}

TEST_F(ConsoleTest, HoldCommandsSendNothingWithoutADriverOrForAnUnknownCode) {
    struct Case {
        const char* what;
        PtzBase* driver;
        int code;
    };
    const Case cases[] = {
        {"no driver", nullptr, 2}, {"code 14", &m_driver, 14}, {"unassigned code", &m_driver, -1}};
    for (const Case& c : cases) {
        g_pPtz = c.driver;
        HoldPress(c.code);
        EXPECT_TRUE(m_driver.calls.empty()) << c.what;
        EXPECT_TRUE(m_sem.WaitFor(0) == Semaphore::WaitResult::Timeout) << c.what << ": no wake-up";
    }
}

TEST_F(ConsoleTest, HoldUsesTheRateAtTheMomentOfThePress) {
    g_nCtrlRate = 50;
    HoldPress(2);
    g_nCtrlRate = 7;
    HoldRelease();
    EXPECT_EQ(m_driver.calls, (std::vector<std::string>{"Action(2,50,50)", "Action(14,7,7)"}));
}

TEST_F(ConsoleTest, HoldRecordsTheFrameBeforeWakingTheLog) {
    m_driver.SetFrame({0xff, 1, 0, 8, 0x20, 0x20, 0x49});
    HoldPress(2);
    const CommandRecord r = g_LastCmd.Load();
    EXPECT_EQ(r.dwSize, 7u);
    EXPECT_EQ(r.byData[6], 0x49);
    EXPECT_EQ(m_sem.Count(), 1u);
}

TEST_F(ConsoleTest, FunctionButtonsSendTheirPresetOperation) {
    struct Case {
        int id;
        int presetId;
        const char* call;  // empty: nothing is sent
        bool readsFields;
    };
    const Case cases[] = {
        {IDC_BTN_PRESET, 5, "PresetAction(96,5)", true},
        {IDC_BTN_CALL, 0, "PresetAction(97,0)", true},
        {IDC_BTN_DELETE, 7, "PresetAction(100,7)", true},
        {IDC_BTN_SETAUX, 3, "PresetAction(101,3)", true},
        {IDC_BTN_CLRAUX, 224, "PresetAction(102,224)", true},
        {IDC_BTN_HOME, 5, "PresetAction(97,34)", true},
        {IDC_BTN_MENU, 5, "PresetAction(97,95)", false},
        {IDC_BTN_MEMORY, 5, "PresetAction(97,98)", false},
        {IDC_BTN_SCAN, 5, "PresetAction(97,99)", false},
        {IDC_BTN_TOUR, 5, "PresetAction(97,76)", false},
        {IDC_BTN_STOP, -1, "PresetAction(97,96)", false},
        {IDC_BTN_SHOT, 5, "", false},
        {IDC_BTN_PRESET, -1, "", true},
    };
    for (const Case& c : cases) {
        const FunctionButton* button = FindFunctionButton(c.id);
        ASSERT_NE(button, nullptr) << c.id;
        m_driver.calls.clear();
        const bool sent = SendFunctionCommand(m_driver, *button, c.presetId);
        const std::string call = c.call;
        EXPECT_EQ(sent, !call.empty()) << button->caption << " preset " << c.presetId;
        EXPECT_EQ(m_driver.calls,
                  call.empty() ? std::vector<std::string>{} : std::vector<std::string>{call})
            << button->caption;
        EXPECT_EQ(button->readsFields, c.readsFields) << button->caption;
    }
}

TEST(ManualCommandBytes, TokenCases) {
    const std::string pad252(252, '0');
    const std::string pad253(253, '0');
    struct Case {
        const char* what;
        std::string text;
        std::array<uint8_t, 4> bytes;
    };
    const Case cases[] = {
        {"the start-up text", "0x00 0x00 0x00 0x00", {0, 0, 0, 0}},
        {"prefix and case do not matter", "ff 1 0X2a 7", {0xff, 0x01, 0x2a, 0x07}},
        {"leading spaces are skipped", "  01 02 03 04", {1, 2, 3, 4}},
        {"two spaces make an empty token", "01  02 03 04", {1, 0, 2, 3}},
        {"missing tokens are 0", "01 02", {1, 2, 0, 0}},
        {"only the low 8 bits count", "123 4 5 6", {0x23, 4, 5, 6}},
        {"a token that is no number is 0", "zz 1 2 3", {0, 1, 2, 3}},
        {"a fifth token is ignored", "1 2 3 4 5", {1, 2, 3, 4}},
        {"empty text", "", {0, 0, 0, 0}},
        {"a long token converts whole", "0000000000ab", {0xab, 0, 0, 0}},
        {"255 characters count", pad252 + " 12", {0, 0x12, 0, 0}},
        {"the 256th character is cut", pad253 + " 12", {0, 0x01, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ManualCommandBytes(c.text), c.bytes) << c.what;
    }
}

}  // namespace
