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
    // Past the top speed it goes out as the top speed, not wrapped to its low byte.
    h.Select(IDC_COMBO_PTZMODEL, 0);
    h.Type(IDC_EDIT_CTRLRATE, "256");
    h.pty().DrainPeer();
    h.Press(IDC_BTN_UP);
    EXPECT_EQ(h.pty().ReadPeer(7), (Bytes{0xff, 0x01, 0x00, 0x08, 0x3f, 0x3f, 0x87}));
    h.Release(IDC_BTN_UP);
}

}  // namespace
