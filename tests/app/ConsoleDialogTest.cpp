#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "platform/Semaphore.h"
#include "tests/support/DialogHarness.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 3) {
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

// A dialog with the port open on a Pelco-D driver at address 1, rate 32.
class PelcoDConsole : public ::testing::Test {
protected:
    void SetUp() override {
        h.Select(IDC_COMBO_PTZMODEL, 0);
        ASSERT_TRUE(h.OpenPort());
    }
    // Waits for the row and for the same bytes on the line.
    void ExpectCommand(int row, const std::string& message, const char* size,
                       const char* interval) {
        ASSERT_TRUE(h.WaitForRows(row + 1)) << message;
        EXPECT_EQ(h.Row(row).id, std::to_string(row));
        EXPECT_EQ(h.Row(row).message, message);
        EXPECT_EQ(h.Row(row).size, size) << message;
        EXPECT_EQ(h.Row(row).interval, interval) << message;
        const std::vector<uint8_t> sent = Bytes(message + " ");
        EXPECT_EQ(h.pty().ReadPeer(sent.size()), sent) << message;
    }
    ScopedManualTicks ticks{1000};
    DialogHarness h;
};

TEST_F(PelcoDConsole, PressAndReleaseOfUp) {
    h.Press(IDC_BTN_UP);
    ExpectCommand(0, "ff 01 00 08 20 20 49", "7", "0");
    ticks.Advance(250);
    h.Release(IDC_BTN_UP);
    ExpectCommand(1, "ff 01 00 00 00 00 01", "7", "250");
}

TEST_F(PelcoDConsole, EveryHoldButtonStartsItsMotionAndStopsWithTheGeneralStop) {
    const std::pair<int, const char*> cases[] = {
        {IDC_BTN_LEFT, "ff 01 00 04 20 20 45"}, {IDC_BTN_RIGHT, "ff 01 00 02 20 20 43"},
        {IDC_BTN_DOWN, "ff 01 00 10 20 20 51"}, {IDC_BTN_LU, "ff 01 00 0c 20 20 4d"},
        {IDC_BTN_RU, "ff 01 00 0a 20 20 4b"},   {IDC_BTN_LD, "ff 01 00 14 20 20 55"},
        {IDC_BTN_RD, "ff 01 00 12 20 20 53"},   {IDC_BTN_TELE, "ff 01 00 20 00 00 21"},
        {IDC_BTN_WIDE, "ff 01 00 40 00 00 41"}, {IDC_BTN_NEAR, "ff 01 01 00 00 00 02"},
        {IDC_BTN_FAR, "ff 01 00 80 00 00 81"},  {IDC_BTN_CLOSE, "ff 01 04 00 00 00 05"},
        {IDC_BTN_OPEN, "ff 01 02 00 00 00 03"},
    };
    int row = 0;
    for (const auto& [id, start] : cases) {
        h.Press(id);
        ExpectCommand(row++, start, "7", "0");
        h.Release(id);
        ExpectCommand(row++, "ff 01 00 00 00 00 01", "7", "0");
    }
}

TEST_F(PelcoDConsole, ReleaseAfterThePointerLeftTheButtonStillStops) {
    h.Press(IDC_BTN_RIGHT);
    ExpectCommand(0, "ff 01 00 02 20 20 43", "7", "0");
    h.Release(IDC_BTN_RIGHT, QPoint(-40, -40));
    ExpectCommand(1, "ff 01 00 00 00 00 01", "7", "0");
}

TEST_F(PelcoDConsole, KeyboardActivationSendsNothing) {
    QPushButton* up = h.Button(IDC_BTN_UP);
    QSignalSpy clicks(up, &QPushButton::clicked);
    up->setFocus();
    QTest::keyClick(up, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1) << "the key did activate the button";
    EXPECT_EQ(g_hMsgSemaphore->Count(), 0u) << "no command handed to the log";
    h.ProcessEvents();
    EXPECT_EQ(h.Rows(), 0);
}

TEST_F(PelcoDConsole, FunctionButtonsListTheirFrameAtOnce) {
    h.Combo(IDC_COMBO_PRESETID)->setCurrentIndex(5);
    const std::pair<int, const char*> cases[] = {
        {IDC_BTN_PRESET, "ff 01 00 03 00 05 09"}, {IDC_BTN_CALL, "ff 01 00 07 00 05 0d"},
        {IDC_BTN_DELETE, "ff 01 00 05 00 05 0b"}, {IDC_BTN_SETAUX, "ff 01 00 09 00 05 0f"},
        {IDC_BTN_CLRAUX, "ff 01 00 0b 00 05 11"}, {IDC_BTN_HOME, "ff 01 00 07 00 22 2a"},
        {IDC_BTN_MENU, "ff 01 00 07 00 5f 67"},   {IDC_BTN_MEMORY, "ff 01 00 07 00 62 6a"},
        {IDC_BTN_SCAN, "ff 01 00 07 00 63 6b"},   {IDC_BTN_TOUR, "ff 01 00 07 00 4c 54"},
        {IDC_BTN_STOP, "ff 01 00 07 00 60 68"},
    };
    int row = 0;
    for (const auto& [id, message] : cases) {
        ticks.Advance(10);
        h.Click(id);
        ASSERT_EQ(h.Rows(), row + 1) << message << ": listed without the log thread";
        ExpectCommand(row, message, "7", row == 0 ? "0" : "10");
        ++row;
    }
}

TEST_F(PelcoDConsole, ShotSendsNothingAndLeavesTheInterval) {
    h.Click(IDC_BTN_CALL);
    ticks.Advance(300);
    h.Click(IDC_BTN_SHOT);
    EXPECT_EQ(h.Rows(), 1);
    ticks.Advance(200);
    h.Click(IDC_BTN_CALL);
    ASSERT_EQ(h.Rows(), 2);
    EXPECT_EQ(h.Row(1).interval, "500");
}

TEST_F(PelcoDConsole, ClearRestartsNumberingAndInterval) {
    h.Click(IDC_BTN_MENU);
    ticks.Advance(100);
    h.Click(IDC_BTN_MENU);
    h.Click(IDC_BTN_CLEAR);
    EXPECT_EQ(h.Rows(), 0);
    ticks.Advance(5000);
    h.Click(IDC_BTN_MENU);
    ASSERT_EQ(h.Rows(), 1);
    EXPECT_EQ(h.Row(0).id, "0");
    EXPECT_EQ(h.Row(0).interval, "0");
}

TEST(ManualCommand, SendBuildsAFrameOfTheCurrentProtocol) {
    struct Case {
        int model;
        QString text;
        const char* message;
        const char* size;
    };
    const Case cases[] = {
        {1, "0x00 0x00 0x00 0x00", "a0 01 00 00 00 00 af 0e", "8"},
        {0, "ff 1 0X2a 7", "ff 01 ff 01 2a 07 32", "7"},
        {0, "01  02 03 04 05", "ff 01 01 00 02 03 07", "7"},
    };
    for (const Case& c : cases) {
        DialogHarness h;
        h.Select(IDC_COMBO_PTZMODEL, c.model);
        ASSERT_TRUE(h.OpenPort());
        h.Edit(IDC_EDIT_HEXCOMMAND)->setText(c.text);
        h.Click(IDC_BTN_SEND);
        ASSERT_EQ(h.Rows(), 1) << c.message;
        EXPECT_EQ(h.Row(0).message, c.message);
        EXPECT_EQ(h.Row(0).size, c.size);
        EXPECT_EQ(h.pty().ReadPeer(c.model == 0 ? 7 : 8), Bytes(std::string(c.message) + " "));
    }
}

}  // namespace
