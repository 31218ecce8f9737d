#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PelcoD.h"
#include "serial/SerialPort.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

bool PortGroupEnabled(DialogHarness& h, bool enabled) {
    for (int id : kPortGroup) {
        if (h.Item(id)->isEnabled() != enabled) {
            return false;
        }
    }
    return true;
}

TEST(SettingsPanel, OpenAndCloseWithTheirMessages) {
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Close");
    EXPECT_TRUE(PortGroupEnabled(h, true));
    EXPECT_TRUE(h.probe().Port()->IsCommOpen());

    EXPECT_FALSE(h.OpenPort());
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open");
    EXPECT_TRUE(PortGroupEnabled(h, false));
    EXPECT_FALSE(h.probe().Port()->IsCommOpen());

    ASSERT_EQ(h.prompter().messages.size(), 2u);
    EXPECT_EQ(h.prompter().Texts(), (std::vector<std::string>{"Serial Port Open Success!",
                                                              "Serial Port Close Success!"}));
    for (const auto& shown : h.prompter().messages) {
        EXPECT_EQ(shown.caption, "Message");
        EXPECT_EQ(shown.icon, PromptIcon::Information);
    }
}

// The message keeps its first line and says why under it.
TEST(SettingsPanel, AFailedOrRefusedOpenSaysWhyAndChangesNothing) {
    struct Case {
        const char* what;
        bool linkCom1;
        int emptyCombo;      // a combo left without a selection, or 0
        const char* reason;  // the start of the message's second paragraph
    };
    const Case cases[] = {{"a link to nothing", false, 0, "COM1 leads to "},
                          {"no data bit selection", true, IDC_COMBO_DATABIT, "Choose a COM port"},
                          {"no COM selection", true, IDC_COMBO_COM, "Choose a COM port"}};
    for (const Case& c : cases) {
        DialogHarness h(c.linkCom1 ? DialogOptions() : DialogOptions::NoDevice());
        if (c.emptyCombo != 0) {
            h.Combo(c.emptyCombo)->setCurrentIndex(-1);
        }
        EXPECT_FALSE(h.OpenPort()) << c.what;
        ASSERT_EQ(h.prompter().messages.size(), 1u) << c.what;
        EXPECT_EQ(h.prompter().messages[0].text.rfind(
                      std::string("Serial Port Open Failed!\n\n") + c.reason, 0),
                  0u)
            << h.prompter().messages[0].text;
        EXPECT_EQ(h.prompter().messages.back().caption, "Message");
        EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open") << c.what;
        EXPECT_TRUE(PortGroupEnabled(h, false)) << c.what;
    }
}

TEST(SettingsPanel, BaudChangeWhileOpenReopensWithAllFiveSelections) {
    DialogHarness h;
    PtyPair second;
    h.ports().Link(2, second.slavePath());
    ASSERT_TRUE(h.OpenPort());
    h.Click(IDC_BTN_MENU);
    ASSERT_EQ(h.Rows(), 1);
    h.pty().DrainPeer();

    h.Select(IDC_COMBO_COM, 1);  // read only when the port opens again
    h.Combo(IDC_COMBO_PTZMODEL)->setCurrentIndex(0);
    h.Select(IDC_COMBO_BAUDRATE, 9);
    EXPECT_TRUE(h.probe().PortOpen());
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Close");
    EXPECT_EQ(h.Rows(), 0);
    EXPECT_NE(dynamic_cast<PelcoD*>(h.probe().Driver()), nullptr) << "driver remade";
    EXPECT_EQ(g_pPtz, h.probe().Driver());
    EXPECT_EQ(h.prompter().messages.size(), 1u) << "no message for the re-opening";

    h.Click(IDC_BTN_MENU);
    EXPECT_EQ(second.ReadPeer(7), (std::vector<uint8_t>{0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67}));
}

TEST(SettingsPanel, ModelAndAddressChangesEmptyTheListAndKeepTheLastTick) {
    struct Case {
        const char* what;
        int combo;
        int index;
        const char* firstRow;  // the next MENU command
    };
    const Case cases[] = {
        {"address 5", IDC_COMBO_PTZADDRESS, 5, "a0 05 00 07 00 5f af 52"},
        {"Pelco-D", IDC_COMBO_PTZMODEL, 0, "ff 01 00 07 00 5f 67"},
    };
    for (const Case& c : cases) {
        ScopedManualTicks ticks(1000);
        DialogHarness h;
        ASSERT_TRUE(h.OpenPort());
        h.Click(IDC_BTN_MENU);
        ticks.Advance(500);
        h.Select(c.combo, c.index);
        EXPECT_EQ(h.Rows(), 0) << c.what;
        ticks.Advance(200);
        h.Click(IDC_BTN_MENU);
        ASSERT_EQ(h.Rows(), 1) << c.what;
        EXPECT_EQ(h.Row(0).message, c.firstRow) << c.what;
        EXPECT_EQ(h.Row(0).interval, "700") << c.what;
    }
}

TEST(SettingsPanel, NumericFieldsAreCheckedWhenLeftOrEnteredNotWhileTyped) {
    struct Case {
        int id;
        const char* typed;
        Qt::Key leave;   // Tab leaves the field, Enter stays in it
        uint32_t value;  // the member afterwards
        const char* reported;
    };
    const Case cases[] = {
        {IDC_EDIT_CTRLRATE, "50", Qt::Key_Tab, 50, nullptr},
        {IDC_EDIT_CTRLRATE, "", Qt::Key_Tab, 50, "Ctrl Rate"},
        {IDC_EDIT_CTRLRATE, "4294967296", Qt::Key_Return, 429496729u, "Ctrl Rate"},
        {IDC_EDIT_CTRLRATE, "1x2", Qt::Key_Tab, 12, nullptr},  // the letter is refused as typed
        {IDC_EDIT_CMDINTERVAL, "", Qt::Key_Tab, 800, "Cmd Interval Time"},
        {IDC_EDIT_CMDINTERVAL, "77", Qt::Key_Enter, 77, nullptr},
    };
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    h.dlg().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.dlg()));
    for (const Case& c : cases) {
        h.prompter().Clear();
        h.Type(c.id, c.typed);
        EXPECT_TRUE(h.prompter().messages.empty()) << c.typed << ": reported while typing";
        QTest::keyClick(h.Item(c.id), c.leave);
        h.ProcessEvents();
        const uint32_t value =
            c.id == IDC_EDIT_CTRLRATE ? h.probe().CtrlRate() : h.probe().CmdInterval();
        EXPECT_EQ(value, c.value) << c.typed;
        const std::vector<std::string> expected =
            c.reported ? std::vector<std::string>{std::string(c.reported) +
                                                  ": please enter a whole number from 0 to "
                                                  "4294967295."}
                       : std::vector<std::string>{};
        EXPECT_EQ(h.prompter().Texts(), expected) << c.typed;
    }
    h.Type(IDC_EDIT_CTRLRATE, "40");
    EXPECT_EQ(g_nCtrlRate, 40u) << "published as typed";
    h.Press(IDC_BTN_UP);
    EXPECT_EQ(h.pty().ReadPeer(8),
              (std::vector<uint8_t>{0xa0, 0x01, 0x00, 0x08, 0x00, 0x28, 0xaf, 0x2e}));
    h.Release(IDC_BTN_UP);
}

}  // namespace
