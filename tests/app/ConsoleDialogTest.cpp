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
    void ExpectCommand(int row, const std::string& message, const std::string& interval) {
        ASSERT_TRUE(h.WaitForRows(row + 1)) << message;
        EXPECT_EQ(h.Row(row).id, std::to_string(row));
        EXPECT_EQ(h.Row(row).message, message);
        EXPECT_EQ(h.Row(row).size, std::to_string(Bytes(message + " ").size())) << message;
        EXPECT_EQ(h.Row(row).interval, interval) << message;
        const std::vector<uint8_t> sent = Bytes(message + " ");
        EXPECT_EQ(h.pty().ReadPeer(sent.size()), sent) << message;
    }
    ScopedManualTicks ticks{1000};
    DialogHarness h;
};

TEST_F(PelcoDConsole, PressStartsAndReleaseSendsTheGeneralStop) {
    struct Case {
        const char* what;
        int id;
        const char* start;
        uint32_t held;
        std::optional<QPoint> releaseAt;
    };
    const Case cases[] = {
        {"Up held 250 ms", IDC_BTN_UP, "ff 01 00 08 20 20 49", 250, std::nullopt},
        {"TELE", IDC_BTN_TELE, "ff 01 00 20 00 00 21", 0, std::nullopt},
        {"release after the pointer left", IDC_BTN_RIGHT, "ff 01 00 02 20 20 43", 40,
         QPoint(-40, -40)},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        h.Press(c.id);
        ExpectCommand(row++, c.start, "0");
        ticks.Advance(c.held);
        h.Release(c.id, c.releaseAt);
        ExpectCommand(row++, "ff 01 00 00 00 00 01", std::to_string(c.held));
    }
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
    struct Case {
        const char* what;
        int model;
        int id;
        const char* message;  // nullptr: nothing sent
        const char* interval;
    };
    const Case cases[] = {
        {"PRESET takes the combo's 5", 0, IDC_BTN_PRESET, "ff 01 00 03 00 05 09", "0"},
        {"SHOT sends nothing (MENU's bytes come next)", 0, IDC_BTN_SHOT, nullptr, nullptr},
        {"MENU ignores the combo; SHOT left the stamp", 0, IDC_BTN_MENU, "ff 01 00 07 00 5f 67",
         "200"},
        {"HOME on Pelco-P", 1, IDC_BTN_HOME, "a0 01 00 07 00 22 af 2b", "100"},
    };
    h.Combo(IDC_COMBO_PRESETID)->setCurrentIndex(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (h.Combo(IDC_COMBO_PTZMODEL)->currentIndex() != c.model) {
            h.Select(IDC_COMBO_PTZMODEL, c.model);
        }
        ticks.Advance(100);
        const int rows = h.Rows();
        h.Click(c.id);
        if (c.message == nullptr) {
            EXPECT_EQ(h.Rows(), rows);
            continue;
        }
        ASSERT_EQ(h.Rows(), rows + 1) << "listed without the log thread";
        ExpectCommand(rows, c.message, c.interval);
    }
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

TEST_F(PelcoDConsole, TheHexFieldShowsTheFrameSendWillPutOnTheLine) {
    struct Case {
        const char* text;
        int model;
        int address;  // chosen after the text: the preview follows the driver
        const char* frame;
        const char* marks;
    };
    const Case cases[] = {
        {"0x00 0x08 0x20 0x20", 0, 1, "ff 01 00 08 20 20 49", ""},
        {"00 07 00 22", 1, 1, "a0 01 00 07 00 22 af 2b", ""},
        {"00 07 00 22", 1, 5, "a0 05 00 07 00 22 af 2f", ""},
        {"0x1234567890 g7 1 2 3", 0, 5, "ff 05 90 00 01 02 98",
         "0x1234567890 too long, g7 not hex, 3 ignored"},
        {"", 0, 5, "ff 05 00 00 00 00 05", ""},
    };
    for (const Case& c : cases) {
        h.Edit(IDC_EDIT_HEXCOMMAND)->setText(c.text);
        h.Select(IDC_COMBO_PTZMODEL, c.model);
        h.Select(IDC_COMBO_PTZADDRESS, c.address);
        EXPECT_EQ(h.probe().HexFrame().toStdString(), std::string("Frame: ") + c.frame) << c.text;
        EXPECT_EQ(h.probe().HexMarks().toStdString(), c.marks) << c.text;
        h.Click(IDC_BTN_SEND);
        ASSERT_EQ(h.Rows(), 1) << c.text;
        EXPECT_EQ(h.Row(0).message, c.frame) << c.text;
        h.Click(IDC_BTN_CLEAR);
    }
}

}  // namespace
