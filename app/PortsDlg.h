#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/PortDiscovery.h"

class CComPortCombo;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

// "Ports...": the serial devices present, and binding one of them to a COM
// port (the COMn link of the port map) or removing a binding. The list is
// read again when the dialog is shown and every few seconds while it is, so
// an adapter plugged in meanwhile appears.
class CPortsDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 3000;
    enum Column {
        ColDevice,
        ColDescription,
        ColManufacturer,
        ColSerial,
        ColIds,
        ColPorts,
        ColCount
    };

    CPortsDlg(IPortDiscovery& discovery, QWidget* parent);

    // Which COM port the bind and remove buttons act on (0 = COM1).
    void SetComIndex(int index);
    // The port the main dialog has open (0 for none): its binding is not
    // changed under it.
    void SetOpenPortQuery(std::function<unsigned()> openPort);
    void Refresh();
    void OnBind();
    void OnUnbind();
    // Binds the COM port to the serial device server named in the network row.
    void OnBindNetwork();

    // Test seam: the controls.
    QTableWidget* DeviceTable() const { return m_table; }
    CComPortCombo* ComCombo() const { return m_com; }
    QPushButton* BindButton() const { return m_bind; }
    QPushButton* UnbindButton() const { return m_unbind; }
    QLabel* Status() const { return m_status; }
    QLineEdit* HostEdit() const { return m_host; }
    QLineEdit* TcpPortEdit() const { return m_tcpPort; }
    QComboBox* ModeCombo() const { return m_mode; }
    QPushButton* BindNetworkButton() const { return m_bindNetwork; }
    const QTimer* RefreshTimer() const { return m_timer; }

signals:
    // A binding was made or removed: the COM labels are out of date.
    void BindingsChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FillTable();
    void FillComLabels();
    void UpdateButtons();
    unsigned SelectedPort() const;
    // For the open port: says why its binding stays, and true.
    bool RefusedWhileOpen(unsigned port);
    void BindTo(unsigned port, const std::string& target);
    bool SelectedPortIsOpen() const;
    void SetStatus(const QString& text, unsigned port);

    IPortDiscovery& m_discovery;
    std::vector<SerialDeviceInfo> m_devices;
    QTableWidget* m_table = nullptr;
    CComPortCombo* m_com = nullptr;
    QPushButton* m_bind = nullptr;
    QPushButton* m_unbind = nullptr;
    QLabel* m_status = nullptr;
    QLineEdit* m_host = nullptr;
    QLineEdit* m_tcpPort = nullptr;
    QComboBox* m_mode = nullptr;
    QPushButton* m_bindNetwork = nullptr;
    QTimer* m_timer = nullptr;
    std::function<unsigned()> m_openPort;
    // The port the status line speaks of and where its link led then: once
    // the link leads elsewhere, the line is no longer true.
    unsigned m_statusPort = 0;
    std::string m_statusTarget;
};
