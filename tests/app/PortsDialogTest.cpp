// Finding and binding serial devices from the dialog, and the COM entries
// saying where each port leads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "app/ComPortCombo.h"
#include "app/PortsDlg.h"
#include "console/ControlIds.h"
#include "platform/PortBindings.h"
#include "tests/support/DialogHarness.h"

namespace {

// A USB adapter standing on a pty, with its by-id link in a folder of its own.
struct FakeAdapter {
    PtyPair pty;
    TempDir byId;
    SerialDeviceInfo info;

    FakeAdapter() {
        const std::string link = byId.File("usb-FTDI_FT232R_USB_UART_A10K3Q-if00-port0");
        symlink(pty.slavePath().c_str(), link.c_str());
        info = {pty.slavePath(),
                FindByIdLink(pty.slavePath(), byId.path()),
                "FT232R USB UART",
                "FTDI",
                "A10K3Q",
                0x0403,
                0x6001,
                true};
    }
};

std::string Fallback(unsigned port) {
    const std::string tty = "/dev/ttyS" + std::to_string(port - 1);
    return std::filesystem::exists(tty) ? tty : "not mapped";
}

TEST(PortsDialog, BindsTheSelectedDeviceByItsStableNameAndRemovesABinding) {
    DialogHarness h;
    FakeAdapter usb;
    ASSERT_EQ(usb.info.byIdPath, usb.byId.File("usb-FTDI_FT232R_USB_UART_A10K3Q-if00-port0"));
    PtyPair plain;
    h.discovery().devices = {usb.info, {plain.slavePath(), "", "", "", "", 0, 0, false}};
    ASSERT_TRUE(h.Click(IDC_BTN_PORTS)) << "usable with the port closed";
    CPortsDlg* dlg = h.probe().PortsDialog();
    ASSERT_NE(dlg, nullptr);
    QTableWidget* table = dlg->DeviceTable();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_FALSE(dlg->BindButton()->isEnabled()) << "no device chosen";

    QComboBox* com = h.Combo(IDC_COMBO_COM);
    const std::tuple<int, unsigned, std::string, std::string> binds[] = {
        {0, 2, usb.info.byIdPath, "COM2 - FT232R USB UART (A10K3Q)"},  // the stable name
        {1, 3, plain.slavePath(), "COM3 - " + plain.slavePath()}};     // no by-id name: its own
    for (const auto& [row, port, target, label] : binds) {
        table->selectRow(row);
        dlg->ComCombo()->setCurrentIndex(static_cast<int>(port - 1));
        ASSERT_TRUE(dlg->BindButton()->isEnabled());
        QTest::mouseClick(dlg->BindButton(), Qt::LeftButton);
        EXPECT_EQ(ReadPortBinding(port).target, target);
        EXPECT_EQ(com->itemText(static_cast<int>(port - 1)).toStdString(), label);
    }
    EXPECT_EQ(table->item(0, CPortsDlg::ColPorts)->text(), "COM2");

    dlg->ComCombo()->setCurrentIndex(1);
    QTest::mouseClick(dlg->UnbindButton(), Qt::LeftButton);
    EXPECT_FALSE(ReadPortBinding(2).linked);
    EXPECT_EQ(com->itemText(1).toStdString(), "COM2 - " + Fallback(2));
    EXPECT_FALSE(dlg->UnbindButton()->isEnabled()) << "nothing left to remove";
}

// What the COM list says and lets happen follows the links as they are now:
// a target that is no serial device, a user's link put back from a killed
// --force dome's record, the open port's binding kept, a status line dropped
// once the link it spoke of changed.
TEST(PortsDialog, TellsTheTruthAboutLinksAndKeepsTheOpenPortsBinding) {
    DialogHarness h;
    PtyPair plain;
    h.discovery().devices = {{plain.slavePath(), "", "", "", "", 0, 0, false}};
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("regular.txt"), {'x'}));
    ASSERT_TRUE(h.ports().Link(5, dir.File("regular.txt")));
    ASSERT_TRUE(h.ports().Link(4, "/dev/pts/gone"));
    ASSERT_TRUE(RecordDomeOwner(4, INT32_MAX, "/dev/pts/gone", "/dev/null"));
    ASSERT_TRUE(h.OpenPort());
    ASSERT_TRUE(h.Click(IDC_BTN_PORTS));
    CPortsDlg* dlg = h.probe().PortsDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->ComCombo()->itemText(4).toStdString(),
              "COM5 - " + dir.File("regular.txt") + " is not a serial device");
    EXPECT_EQ(ReadPortBinding(4).target, "/dev/null");
    EXPECT_FALSE(std::filesystem::exists(PortOwnerPath(4)));

    dlg->DeviceTable()->selectRow(0);
    dlg->ComCombo()->setCurrentIndex(0);
    const std::string open = ReadPortBinding(1).target;
    EXPECT_FALSE(dlg->BindButton()->isEnabled());
    EXPECT_FALSE(dlg->UnbindButton()->isEnabled());
    EXPECT_FALSE(dlg->BindNetworkButton()->isEnabled());
    dlg->HostEdit()->setText(QStringLiteral("10.0.0.5"));
    dlg->TcpPortEdit()->setText(QStringLiteral("4001"));
    for (void (CPortsDlg::*change)() : {&CPortsDlg::OnUnbind, &CPortsDlg::OnBindNetwork}) {
        (dlg->*change)();
        EXPECT_EQ(ReadPortBinding(1).target, open);
        EXPECT_EQ(dlg->Status()->text(), "COM1 is open: close it before you change its binding.");
    }

    dlg->ComCombo()->setCurrentIndex(2);
    QTest::mouseClick(dlg->BindButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->Status()->text().toStdString(), "COM3 now leads to " + plain.slavePath() + ".");
    ASSERT_TRUE(h.ports().Link(3, "/dev/null"));
    dlg->Refresh();
    EXPECT_EQ(dlg->Status()->text(), "");
}

}  // namespace
