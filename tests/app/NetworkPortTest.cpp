// COM ports that lead to serial device servers, from the window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/PortsDlg.h"
#include "console/ControlIds.h"
#include "platform/PortBindings.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/Ser2net.h"

namespace {

TEST(NetworkPortDialog, BindsAServerInTheFormAndTheDropDownNamesIt) {
    DialogHarness h;
    ASSERT_TRUE(h.Click(IDC_BTN_PORTS));
    CPortsDlg* dlg = h.probe().PortsDialog();
    ASSERT_NE(dlg, nullptr);
    dlg->SetComIndex(3);
    const struct {
        const char* host;
        const char* port;
        int mode;
        std::string target;  // empty: refused
        std::string label;
    } cases[] = {
        {"10.0.0.5", "4001", 0, "rfc2217:10.0.0.5:4001", "COM4 - 10.0.0.5:4001 (RFC 2217)"},
        {"fd00::5", "23", 1, "tcp:[fd00::5]:23",
         "COM4 - [fd00::5]:23 (raw: the server's line settings)"},
        {"bad host", "", 0, "", ""},
    };
    for (const auto& c : cases) {
        dlg->HostEdit()->setText(QString::fromLatin1(c.host));
        dlg->TcpPortEdit()->setText(QString::fromLatin1(c.port));
        dlg->ModeCombo()->setCurrentIndex(c.mode);
        QTest::mouseClick(dlg->BindNetworkButton(), Qt::LeftButton);
        if (c.target.empty()) {
            EXPECT_TRUE(dlg->Status()->text().contains(QStringLiteral("was not bound"))) << c.host;
            continue;
        }
        EXPECT_EQ(ReadPortBinding(4).target, c.target);
        EXPECT_EQ(h.Combo(IDC_COMBO_COM)->itemText(3).toStdString(), c.label);
    }
}

TEST(NetworkPortDialog, OpensOffTheWindowsThreadAndReportsEachOutcome) {
    if (!Ser2net::Installed()) {
        GTEST_SKIP() << "ser2net is not installed (scripts/setup installs it)";
    }
    DialogHarness h;
    QPushButton* open = h.Button(IDC_BTN_OPENPORT);
    DeafPort deaf;
    Ser2net server(h.pty().slavePath(), false);
    ASSERT_TRUE(server.Start());
    const std::tuple<std::string, std::string, QString> cases[] = {
        {deaf.Target(), "No answer from 127.0.0.1 within 3 s", "Open"},
        {server.Target(), "raw mode: the line settings are the server's own", "Close"}};
    for (const auto& [target, says, button] : cases) {
        ASSERT_TRUE(h.ports().Link(1, target));
        h.prompter().Clear();
        // Clicks only an enabled button: the failed open gave it back.
        EXPECT_TRUE(h.Click(IDC_BTN_OPENPORT));
        // The click returned while the connect goes on.
        EXPECT_TRUE(h.prompter().messages.empty());
        EXPECT_FALSE(open->isEnabled());
        EXPECT_TRUE(h.WaitFor([&] { return !h.prompter().messages.empty(); }, 10000));
        EXPECT_NE(h.prompter().Last().find(says), std::string::npos) << h.prompter().Last();
        EXPECT_EQ(open->text(), button);
    }
}

}  // namespace
