#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "console/NumberField.h"
#include "serial/SerialPort.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

bool PortGroupEnabled(DialogHarness& h, bool enabled) {
    return std::all_of(kPortGroup.begin(), kPortGroup.end(),
                       [&](int id) { return h.Item(id)->isEnabled() == enabled; });
}

// A refused open keeps the message's first line and says why under it.
TEST(SettingsPanel, OpenAndCloseSayTheirOutcomeAndAFailedOpenSaysWhy) {
    struct Case {
        const char* what;
        bool linkCom1;
        int emptyCombo;       // a combo left without a selection, or 0
        const char* message;  // the start of the message
    };
    const Case cases[] = {
        {"opened", true, 0, "Serial Port Open Success!"},
        {"a link to nothing", false, 0, "Serial Port Open Failed!\n\nCOM1 leads to "},
        {"no data bits", true, IDC_COMBO_DATABIT, "Serial Port Open Failed!\n\nChoose a COM port"},
        {"no COM", true, IDC_COMBO_COM, "Serial Port Open Failed!\n\nChoose a COM port"}};
    for (const Case& c : cases) {
        DialogHarness h(c.linkCom1 ? DialogOptions() : DialogOptions::NoDevice());
        if (c.emptyCombo != 0) {
            h.Combo(c.emptyCombo)->setCurrentIndex(-1);
        }
        const bool opened = h.OpenPort();
        EXPECT_EQ(opened, c.emptyCombo == 0 && c.linkCom1) << c.what;
        EXPECT_EQ(h.probe().Port()->IsCommOpen(), opened) << c.what;
        EXPECT_TRUE(PortGroupEnabled(h, opened)) << c.what;
        ASSERT_EQ(h.prompter().messages.size(), 1u) << c.what;
        EXPECT_EQ(h.prompter().Last().rfind(c.message, 0), 0u) << h.prompter().Last();
        if (opened) {
            EXPECT_FALSE(h.OpenPort());
            EXPECT_TRUE(PortGroupEnabled(h, false));
            EXPECT_EQ(h.prompter().Last(), "Serial Port Close Success!");
        }
    }
}

// Each remakes the driver from all five selections and empties the list; the
// baud rate also reopens the port, on the COM now chosen.
TEST(SettingsPanel, ASettingsChangeWhileOpenEmptiesTheListAndKeepsTheLastTick) {
    const std::pair<int, int> cases[] = {
        {IDC_COMBO_PTZADDRESS, 5}, {IDC_COMBO_PTZMODEL, 0}, {IDC_COMBO_BAUDRATE, 9}};
    for (const auto& [combo, index] : cases) {
        ScopedManualTicks ticks(1000);
        DialogHarness h;
        PtyPair second;
        h.ports().Link(2, second.slavePath());
        ASSERT_TRUE(h.OpenPort());
        h.Click(IDC_BTN_MENU);
        ticks.Advance(500);
        h.Select(IDC_COMBO_COM, 1);  // read only when the port opens again
        h.Combo(IDC_COMBO_PTZMODEL)->setCurrentIndex(0);
        h.Select(combo, index);
        EXPECT_EQ(h.Rows(), 0) << combo;
        EXPECT_EQ(g_pPtz, h.probe().Driver());
        EXPECT_EQ(h.prompter().messages.size(), 1u) << "no message for the re-opening";
        ticks.Advance(200);
        h.Click(IDC_BTN_MENU);
        ASSERT_EQ(h.Rows(), 1) << combo;
        EXPECT_EQ(h.Row(0).message, index == 5 ? "ff 05 00 07 00 5f 6b" : "ff 01 00 07 00 5f 67");
        EXPECT_EQ(h.Row(0).interval, "700") << combo;
        if (combo == IDC_COMBO_BAUDRATE) {
            EXPECT_EQ(second.ReadPeer(7), (Bytes{0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67}));
        }
    }
}

TEST(SettingsPanel, NumericFieldsAreCheckedWhenLeftOrEnteredNotWhileTyped) {
    // Tab leaves the field, Enter stays in it; the member afterwards, the field reported.
    const std::tuple<int, const char*, Qt::Key, uint32_t, const char*> cases[] = {
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
    for (const auto& [id, typed, leave, value, reported] : cases) {
        h.prompter().Clear();
        h.Type(id, typed);
        EXPECT_TRUE(h.prompter().messages.empty()) << typed << ": reported while typing";
        QTest::keyClick(h.Item(id), leave);
        h.ProcessEvents();
        EXPECT_EQ(id == IDC_EDIT_CTRLRATE ? h.probe().CtrlRate() : h.probe().CmdInterval(), value)
            << typed;
        EXPECT_EQ(h.prompter().Texts(),
                  reported ? std::vector<std::string>{NumberField::InvalidMessage(reported)}
                           : std::vector<std::string>{})
            << typed;
    }
    h.Type(IDC_EDIT_CTRLRATE, "40");
    h.Press(IDC_BTN_UP);  // the rate is published as typed
    EXPECT_EQ(h.pty().ReadPeer(8), (Bytes{0xa0, 0x01, 0x00, 0x08, 0x00, 0x28, 0xaf, 0x2e}));
    h.Release(IDC_BTN_UP);
}

}  // namespace
