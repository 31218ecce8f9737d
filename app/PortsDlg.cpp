#include "app/PortsDlg.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "app/ComPortCombo.h"
#include "commandlist/SelectionTables.h"
#include "platform/NetworkPort.h"
#include "platform/PortBindings.h"

namespace {

constexpr char kNoDevices[] = QT_TRANSLATE_NOOP(
    "CPortsDlg",
    "No serial devices found. Plug the adapter in; this list is read again every few seconds.");

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Ids(const SerialDeviceInfo& d) {
    if (!d.isUsb) {
        return QString();
    }
    return QStringLiteral("%1:%2")
        .arg(d.vendorId, 4, 16, QLatin1Char('0'))
        .arg(d.productId, 4, 16, QLatin1Char('0'));
}

}  // namespace

CPortsDlg::CPortsDlg(IPortDiscovery& discovery, QWidget* parent)
    : QDialog(parent), m_discovery(discovery) {
    setWindowTitle(tr("Serial Ports"));
    auto* intro = new QLabel(
        tr("Serial devices on this computer. Select one and bind it to a COM port: the port map "
           "then leads that COM port to the device, by its /dev/serial/by-id/ name when it has "
           "one, which stays the same when the adapter is plugged in again. A binding is used "
           "from the next Open."),
        this);
    intro->setWordWrap(true);

    m_table = new QTableWidget(0, ColCount, this);
    m_table->setHorizontalHeaderLabels({tr("Device"), tr("Description"), tr("Manufacturer"),
                                        tr("Serial"), tr("VID:PID"), tr("Bound to")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(ColDescription, QHeaderView::Stretch);

    m_com = new CComPortCombo(this, [this] { FillComLabels(); });
    for (unsigned port : kPortNumbers) {
        m_com->addItem(QStringLiteral("COM%1").arg(port));
    }
    m_bind = new QPushButton(tr("Bind"), this);
    m_unbind = new QPushButton(tr("Remove binding"), this);
    for (QPushButton* b : {m_bind, m_unbind}) {
        b->setAutoDefault(false);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("COM port:"), this));
    row->addWidget(m_com, 1);
    row->addWidget(m_bind);
    row->addWidget(m_unbind);

    // A serial device server: the port map entry names it as tcp: or rfc2217:.
    m_host = new QLineEdit(this);
    m_host->setPlaceholderText(tr("host or address"));
    m_tcpPort = new QLineEdit(this);
    m_tcpPort->setPlaceholderText(tr("TCP port"));
    m_tcpPort->setValidator(new QIntValidator(1, 65535, m_tcpPort));
    m_tcpPort->setMaximumWidth(80);
    m_mode = new QComboBox(this);
    m_mode->addItem(tr("RFC 2217 (line settings sent)"));
    m_mode->addItem(tr("raw TCP (the server's line settings)"));
    m_bindNetwork = new QPushButton(tr("Bind network port"), this);
    m_bindNetwork->setAutoDefault(false);
    auto* network = new QHBoxLayout;
    network->addWidget(new QLabel(tr("Network port:"), this));
    network->addWidget(m_host, 1);
    network->addWidget(m_tcpPort);
    network->addWidget(m_mode);
    network->addWidget(m_bindNetwork);

    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_table, 1);
    layout->addLayout(row);
    layout->addLayout(network);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(760, 360);

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &CPortsDlg::Refresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_bind, &QPushButton::clicked, this, &CPortsDlg::OnBind);
    connect(m_unbind, &QPushButton::clicked, this, &CPortsDlg::OnUnbind);
    connect(m_bindNetwork, &QPushButton::clicked, this, &CPortsDlg::OnBindNetwork);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &CPortsDlg::UpdateButtons);
    connect(m_com, &QComboBox::currentIndexChanged, this, &CPortsDlg::UpdateButtons);
}

void CPortsDlg::SetComIndex(int index) {
    if (index >= 0 && index < m_com->count()) {
        m_com->setCurrentIndex(index);
    }
}

void CPortsDlg::SetOpenPortQuery(std::function<unsigned()> openPort) {
    m_openPort = std::move(openPort);
}

void CPortsDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SetStatus(QString(), 0);
    Refresh();
    m_timer->start();
}

void CPortsDlg::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QDialog::hideEvent(event);
}

void CPortsDlg::Refresh() {
    if (m_statusPort != 0 && ReadPortBinding(m_statusPort).target != m_statusTarget) {
        SetStatus(QString(), 0);
    }
    m_devices = m_discovery.List();
    FillTable();
    FillComLabels();
    UpdateButtons();
}

// The selection follows its device across a refresh, so the list changing
// under the operator never moves it to another one.
void CPortsDlg::FillTable() {
    QString selected;
    if (const QTableWidgetItem* item = m_table->item(m_table->currentRow(), ColDevice);
        item != nullptr && item->isSelected()) {
        selected = item->text();
    }
    m_table->setRowCount(0);
    m_table->setRowCount(static_cast<int>(m_devices.size()));
    for (int row = 0; row < static_cast<int>(m_devices.size()); ++row) {
        const SerialDeviceInfo& d = m_devices[static_cast<size_t>(row)];
        const QString cells[ColCount] = {Text(d.systemPath),
                                         Text(d.description),
                                         Text(d.manufacturer),
                                         Text(d.serialNumber),
                                         Ids(d),
                                         Text(PortsLeadingTo(d))};
        for (int column = 0; column < ColCount; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(Text(BindingPathFor(d)));
            m_table->setItem(row, column, item);
        }
        if (cells[ColDevice] == selected) {
            m_table->selectRow(row);
        }
    }
    if (m_devices.empty() && m_statusPort == 0) {
        m_status->setText(tr(kNoDevices));
    } else if (m_status->text() == tr(kNoDevices)) {
        m_status->clear();
    }
}

void CPortsDlg::FillComLabels() {
    for (int i = 0; i < m_com->count() && i < static_cast<int>(kPortNumbers.size()); ++i) {
        m_com->setItemText(i, Text(ComPortLabel(kPortNumbers[static_cast<size_t>(i)], m_devices)));
    }
    m_com->FitListToEntries();
}

unsigned CPortsDlg::SelectedPort() const {
    const int index = m_com->currentIndex();
    return index >= 0 && index < static_cast<int>(kPortNumbers.size())
               ? kPortNumbers[static_cast<size_t>(index)]
               : 0;
}

bool CPortsDlg::SelectedPortIsOpen() const {
    return SelectedPort() != 0 && m_openPort && m_openPort() == SelectedPort();
}

void CPortsDlg::SetStatus(const QString& text, unsigned port) {
    m_status->setText(text);
    m_statusPort = port;
    m_statusTarget = port != 0 ? ReadPortBinding(port).target : std::string();
}

// An open port keeps its binding: it takes effect only at the next Open, so
// changing it now would make the COM list name a device other than the one
// being driven.
void CPortsDlg::UpdateButtons() {
    const int row = m_table->currentRow();
    const bool deviceChosen =
        row >= 0 && row < static_cast<int>(m_devices.size()) && !m_table->selectedItems().isEmpty();
    const bool changeable = SelectedPort() != 0 && !SelectedPortIsOpen();
    m_bind->setEnabled(deviceChosen && changeable);
    m_unbind->setEnabled(changeable && ReadPortBinding(SelectedPort()).linked);
    m_bindNetwork->setEnabled(changeable);
    const QString why =
        SelectedPortIsOpen()
            ? tr("COM%1 is open: close it before you change its binding.").arg(SelectedPort())
            : QString();
    for (QPushButton* button : {m_bind, m_unbind, m_bindNetwork}) {
        button->setToolTip(why);
    }
}

void CPortsDlg::OnBind() {
    const int row = m_table->currentRow();
    const unsigned port = SelectedPort();
    if (row < 0 || row >= static_cast<int>(m_devices.size()) || port == 0) {
        return;
    }
    if (!RefusedWhileOpen(port)) {
        BindTo(port, BindingPathFor(m_devices[static_cast<size_t>(row)]));
    }
}

bool CPortsDlg::RefusedWhileOpen(unsigned port) {
    if (SelectedPortIsOpen()) {
        SetStatus(m_bind->toolTip(), port);
        return true;
    }
    return false;
}

void CPortsDlg::BindTo(unsigned port, const std::string& target) {
    const orvane::Result bound = BindPort(port, target);
    if (bound) {
        SetStatus(tr("COM%1 now leads to %2.").arg(port).arg(Text(target)), port);
    } else {
        SetStatus(tr("COM%1 was not bound: %2.").arg(port).arg(Text(bound.Message())), port);
    }
    Refresh();
    emit BindingsChanged();
}

void CPortsDlg::OnUnbind() {
    const unsigned port = SelectedPort();
    if (port == 0) {
        return;
    }
    if (RefusedWhileOpen(port)) {
        return;
    }
    const orvane::Result unbound = UnbindPort(port);
    if (unbound) {
        SetStatus(tr("COM%1's binding is removed.").arg(port), port);
    } else {
        SetStatus(tr("COM%1's binding was not removed: %2.").arg(port).arg(Text(unbound.Message())),
                  port);
    }
    Refresh();
    emit BindingsChanged();
}

void CPortsDlg::OnBindNetwork() {
    const unsigned port = SelectedPort();
    if (port == 0) {
        return;
    }
    if (RefusedWhileOpen(port)) {
        return;
    }
    bool numeric = false;
    const unsigned tcpPort = m_tcpPort->text().trimmed().toUInt(&numeric);
    NetworkTarget wanted;
    wanted.mode = m_mode->currentIndex() == 0 ? NetworkMode::Rfc2217 : NetworkMode::Raw;
    wanted.host = m_host->text().trimmed().toStdString();
    wanted.port = static_cast<uint16_t>(numeric && tcpPort <= 65535 ? tcpPort : 0);
    // Read back as the open will read it, so what is bound is what opens.
    const std::optional<NetworkTarget> server = ParseNetworkTarget(NetworkTargetText(wanted));
    if (!server) {
        m_status->setText(tr("COM%1 was not bound: give the server's host name or address and "
                             "its TCP port (1 to 65535).")
                              .arg(port));
        return;
    }
    BindTo(port, NetworkTargetText(*server));
}
