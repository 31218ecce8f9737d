// The settings panel: the line and PTZ combos, the port, the driver they name
// and the control rate; the ports dialog and a line lost under an open port.

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <new>

#include "app/Captions.h"
#include "app/ComPortCombo.h"
#include "app/OrvaneDlg.h"
#include "app/PortsDlg.h"
#include "app/QtPortDiscovery.h"
#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "console/HoldCommand.h"
#include "console/NumberField.h"
#include "platform/NetworkPort.h"
#include "platform/PortBindings.h"
#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "serial/SerialPort.h"

namespace {

constexpr char kOpenFailed[] = QT_TRANSLATE_NOOP("COrvaneDlg", "Serial Port Open Failed!");
constexpr char kNoSelection[] =
    QT_TRANSLATE_NOOP("COrvaneDlg", "Choose a COM port and every line setting first.");
constexpr char kLineLost[] = QT_TRANSLATE_NOOP(
    "COrvaneDlg",
    "Serial Line Lost!\n\nThe serial device went away (unplugged, switched off or its "
    "program ended), so the port is closed. Plug it back in and press Open.");
constexpr char kLineStalled[] = QT_TRANSLATE_NOOP(
    "COrvaneDlg",
    "Serial Line Lost!\n\nThe serial line took no byte for a second (the device or the "
    "program at the other end stopped reading), so the port is closed. Check the device "
    "and press Open.");

std::string LineLostMessage(const LineLoss& loss) {
    QString text = QCoreApplication::translate(
        "COrvaneDlg", loss.kind == LineLossKind::Stalled ? kLineStalled : kLineLost);
    if (loss.framesNotWritten == 1) {
        text +=
            QStringLiteral("\n\n") +
            QCoreApplication::translate("COrvaneDlg", "The last command listed did not go out.");
    } else if (loss.framesNotWritten > 1) {
        text +=
            QStringLiteral("\n\n") +
            QCoreApplication::translate("COrvaneDlg", "The last %1 commands listed did not go out.")
                .arg(loss.framesNotWritten);
    }
    return text.toStdString();
}

void IgnoreReceived(uint8_t*, uint32_t) {}

}  // namespace

void COrvaneDlg::FillSelectionLists() {
    QComboBox* const combos[] = {m_cbComPort, m_cbBaudRate, m_cbDataBit,    m_cbStopBit,
                                 m_cbParity,  m_cbPtzModel, m_cbPtzAddress, m_cbPresetId};
    for (QComboBox* c : combos) {
        c->clear();
    }
    for (unsigned port : kPortNumbers) {
        m_cbComPort->addItem(QStringLiteral("COM%1").arg(port));
    }
    for (unsigned rate : kBaudRates) {
        m_cbBaudRate->addItem(QString::number(rate));
    }
    for (unsigned bits : kDataBits) {
        m_cbDataBit->addItem(QString::number(bits));
    }
    for (unsigned bits : kStopBits) {
        m_cbStopBit->addItem(QString::number(bits));
    }
    for (char parity : kParities) {
        m_cbParity->addItem(QString(QChar::fromLatin1(parity)));
    }
    for (const char* model : kPtzModels) {
        m_cbPtzModel->addItem(QString::fromLatin1(model));
    }
    for (int n = 0; n < kAddressCount; ++n) {
        m_cbPtzAddress->addItem(QString::number(n));
    }
    for (int n = 0; n < kPresetCount; ++n) {
        m_cbPresetId->addItem(QString::number(n));
    }
    RefreshComLabels();
    ApplySelections(PanelSelection{{kDefaultComIndex, kDefaultBaudIndex, kDefaultParityIndex,
                                    kDefaultDataBitIndex, kDefaultStopBitIndex},
                                   kDefaultModelIndex,
                                   kDefaultAddressIndex});
    m_cbPresetId->setCurrentIndex(kDefaultPresetIndex);
}

PanelSelection COrvaneDlg::ReadSelections() const {
    return PanelSelection{
        {m_cbComPort->currentIndex(), m_cbBaudRate->currentIndex(), m_cbParity->currentIndex(),
         m_cbDataBit->currentIndex(), m_cbStopBit->currentIndex()},
        m_cbPtzModel->currentIndex(),
        m_cbPtzAddress->currentIndex()};
}

// Selecting by program runs no handler: the caller remakes what depends on it.
void COrvaneDlg::ApplySelections(const PanelSelection& selection) {
    m_cbComPort->setCurrentIndex(selection.port.com);
    m_cbBaudRate->setCurrentIndex(selection.port.baud);
    m_cbDataBit->setCurrentIndex(selection.port.dataBits);
    m_cbStopBit->setCurrentIndex(selection.port.stopBits);
    m_cbParity->setCurrentIndex(selection.port.parity);
    m_cbPtzModel->setCurrentIndex(selection.model);
    m_cbPtzAddress->setCurrentIndex(selection.address);
}

void COrvaneDlg::PublishCtrlRate() {
    SetCtrlRate(m_nCtrlRate);
}

std::unique_ptr<PtzBase> COrvaneDlg::CreatePtzDriver(int model, int address) {
    if (!PtzSelectionValid(model, address)) {
        return nullptr;
    }
    const auto addr = static_cast<uint32_t>(address);
    if (model == kModelPelcoD) {
        if (!Allowed(CreationStep::PelcoD)) {
            return nullptr;
        }
        return std::unique_ptr<PtzBase>(new (std::nothrow) PelcoD(m_pSerialPort.get(), addr));
    }
    if (!Allowed(CreationStep::PelcoP)) {
        return nullptr;
    }
    return std::unique_ptr<PtzBase>(new (std::nothrow) PelcoP(m_pSerialPort.get(), addr));
}

std::unique_ptr<PtzBase> COrvaneDlg::CreateReplayDriver() const {
    if (!m_pPtz) {
        return nullptr;
    }
    const auto address = static_cast<uint32_t>(m_pPtz->GetAddress());
    if (dynamic_cast<const PelcoP*>(m_pPtz.get()) != nullptr) {
        return std::unique_ptr<PtzBase>(new (std::nothrow) PelcoP(m_pSerialPort.get(), address));
    }
    return std::unique_ptr<PtzBase>(new (std::nothrow) PelcoD(m_pSerialPort.get(), address));
}

void COrvaneDlg::SetDriver(std::unique_ptr<PtzBase> driver) {
    // A hold started through the old driver stops through it.
    EndHold();
    m_pPtz = std::move(driver);
    SetCurrentDriver(m_pPtz.get());
    UpdateHexPreview();
}

// The old driver goes first, so the buttons never reach a deleted one.
void COrvaneDlg::RecreatePtzDriver() {
    SetDriver(nullptr);
    const PanelSelection selection = ReadSelections();
    SetDriver(CreatePtzDriver(selection.model, selection.address));
}

bool COrvaneDlg::OpenSelectedPort() {
    const std::optional<PortSettings> line = PortSettingsFor(ReadSelections().port);
    if (!line) {
        return false;
    }
    // The port's thread only posts: closing happens here, on the dialog's thread.
    m_pSerialPort->SetLineLostCallback(
        [this] { QMetaObject::invokeMethod(this, &COrvaneDlg::OnLineLost, Qt::QueuedConnection); });
    return m_pSerialPort->OpenComm(&IgnoreReceived, line->portNumber, line->baudRate, line->parity,
                                   line->dataBits, line->stopBits) != 0;
}

void COrvaneDlg::ReopenPort() {
    m_pSerialPort->CloseComm();
    if (!StartNetworkOpen(true)) {
        ShowOpenOutcome(OpenSelectedPort(), true);
    }
}

bool COrvaneDlg::StartNetworkOpen(bool quiet) {
    const std::optional<PortSettings> line = PortSettingsFor(ReadSelections().port);
    if (!line || !ParseNetworkTarget(ReadPortBinding(line->portNumber).target)) {
        return false;
    }
    JoinNetworkOpen();
    // Until the outcome is back the port is not open: a reopen's controls go too.
    m_bPortOpen = 0;
    EnableControls(kPortGroup, false);
    m_pSerialPort->SetLineLostCallback(
        [this] { QMetaObject::invokeMethod(this, &COrvaneDlg::OnLineLost, Qt::QueuedConnection); });
    GetDlgItem(IDC_BTN_OPENPORT)->setEnabled(false);
    SetDlgItemText(IDC_BTN_OPENPORT, tr("Connecting..."));
    CSerialPort* port = m_pSerialPort.get();
    m_hOpenThread = std::thread([this, port, quiet, line = *line] {
        const bool opened = port->OpenComm(&IgnoreReceived, line.portNumber, line.baudRate,
                                           line.parity, line.dataBits, line.stopBits) != 0;
        // Dropped by Qt if the dialog is gone; it joins this thread first.
        QMetaObject::invokeMethod(
            this, [this, opened, quiet, line] { FinishNetworkOpen(opened, quiet, line); },
            Qt::QueuedConnection);
    });
    return true;
}

void COrvaneDlg::JoinNetworkOpen() {
    if (m_hOpenThread.joinable()) {
        m_hOpenThread.join();
    }
}

void COrvaneDlg::FinishNetworkOpen(bool opened, bool quiet, PortSettings line) {
    JoinNetworkOpen();
    if (!m_pSerialPort) {
        return;  // shut down while connecting
    }
    GetDlgItem(IDC_BTN_OPENPORT)->setEnabled(true);
    ShowOpenOutcome(opened, quiet);
    // A line setting chosen while connecting applies now.
    const std::optional<PortSettings> now = PortSettingsFor(ReadSelections().port);
    if (opened && now &&
        (now->portNumber != line.portNumber || now->baudRate != line.baudRate ||
         now->parity != line.parity || now->dataBits != line.dataBits ||
         now->stopBits != line.stopBits)) {
        ReopenPort();
    }
}

void COrvaneDlg::ShowOpenOutcome(bool opened, bool quiet) {
    m_bPortOpen = opened ? 1 : 0;
    EnableControls(kPortGroup, opened);
    SetDlgItemText(IDC_BTN_OPENPORT, opened ? tr("Close") : tr("Open"));
    if (quiet) {
        return;
    }
    if (!opened) {
        // A missing selection is refused like a port that cannot be opened.
        const bool chosen = PortSettingsFor(ReadSelections().port).has_value();
        const std::string why =
            chosen ? m_pSerialPort->LastOpenResult().text : tr(kNoSelection).toStdString();
        m_prompter->Message(tr(kOpenFailed).toStdString() + "\n\n" + why, kMessageCaption,
                            PromptIcon::Information);
        RefreshComLabels();
        return;
    }
    std::string text = tr("Serial Port Open Success!").toStdString();
    const std::optional<PortSettings> line = PortSettingsFor(ReadSelections().port);
    const std::optional<NetworkTarget> server =
        line ? ParseNetworkTarget(ReadPortBinding(line->portNumber).target) : std::nullopt;
    if (server && server->mode == NetworkMode::Raw) {
        text += "\n\n" + tr("%1 is in raw mode: the line settings are the server's own, not "
                            "the ones chosen here.")
                             .arg(QString::fromStdString(NetworkEndpoint(*server)))
                             .toStdString();
    }
    m_prompter->Message(text, kMessageCaption, PromptIcon::Information);
}

void COrvaneDlg::OnOpenPort() {
    UpdateData(true);
    PublishCtrlRate();
    if (!m_pSerialPort) {
        return;
    }
    if (m_bPortOpen) {
        // "Close" also ends a replay at once; the camera stops before the
        // port goes, and whatever was accepted is written first.
        EndHold();
        StopAutoThread();
        m_pSerialPort->CloseComm();
        m_bPortOpen = 0;
        EnableControls(kPortGroup, false);
        SetDlgItemText(IDC_BTN_OPENPORT, tr("Open"));
        m_prompter->Message(tr("Serial Port Close Success!").toStdString(), kMessageCaption,
                            PromptIcon::Information);
        return;
    }
    if (!StartNetworkOpen(false)) {
        ShowOpenOutcome(OpenSelectedPort(), false);
    }
}

void COrvaneDlg::OnSelchangePtzAddress() {
    UpdateData(true);
    if (!m_pSerialPort) {
        return;
    }
    PublishCtrlRate();
    StopAutoThread();
    RecreatePtzDriver();
    EmptyCommandList();
}

void COrvaneDlg::OnSelchangePtzModel() {
    OnSelchangePtzAddress();
}

void COrvaneDlg::OnSelchangeBaudRate() {
    UpdateData(true);
    if (!m_pSerialPort) {
        return;
    }
    PublishCtrlRate();
    if (!m_bPortOpen) {
        return;
    }
    StopAutoThread();
    ReopenPort();
    RecreatePtzDriver();
    EmptyCommandList();
}

// Each keystroke that leaves a whole number takes effect at once; an empty
// or bad field is reported when it is left or used, not while typing.
void COrvaneDlg::OnChangeCtrlRate() {
    const QByteArray text = m_editCtrlRate->text().toUtf8();
    const NumberField number =
        NumberField::Parse(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    if (number.state == NumberField::Valid) {
        m_nCtrlRate = number.value;
        PublishCtrlRate();
    }
}

// ---- ports and the lost line -----------------------------------------------

IPortDiscovery& COrvaneDlg::Discovery() {
    if (m_pDiscovery == nullptr) {
        m_ownDiscovery = std::make_unique<QtPortDiscovery>();
        m_pDiscovery = m_ownDiscovery.get();
    }
    return *m_pDiscovery;
}

// The entries keep their order, so index i stays COM(i+1) as the list file
// stores it.
void COrvaneDlg::RefreshComLabels() {
    const std::vector<SerialDeviceInfo> devices = Discovery().List();
    for (int i = 0; i < m_cbComPort->count() && i < static_cast<int>(kPortNumbers.size()); ++i) {
        m_cbComPort->setItemText(
            i, QString::fromStdString(ComPortLabel(kPortNumbers[static_cast<size_t>(i)], devices)));
    }
    m_cbComPort->FitListToEntries();
}

void COrvaneDlg::OnPorts() {
    if (m_pPortsDlg == nullptr) {
        m_pPortsDlg = new CPortsDlg(Discovery(), this);
        connect(m_pPortsDlg, &CPortsDlg::BindingsChanged, this, &COrvaneDlg::RefreshComLabels);
        m_pPortsDlg->SetOpenPortQuery([this]() -> unsigned {
            const int index = m_cbComPort->currentIndex();
            return m_bPortOpen && index >= 0 && index < static_cast<int>(kPortNumbers.size())
                       ? kPortNumbers[static_cast<size_t>(index)]
                       : 0;
        });
    }
    m_pPortsDlg->SetComIndex(m_cbComPort->currentIndex());
    m_pPortsDlg->show();
    m_pPortsDlg->raise();
    m_pPortsDlg->activateWindow();
}

void COrvaneDlg::OnLineLost() {
    // A notice from a line that has been closed or opened again since is stale.
    if (!m_pSerialPort || !m_bPortOpen || !m_pSerialPort->IsLineLost()) {
        return;
    }
    StopAutoThread();
    m_pSerialPort->CloseComm();
    m_bPortOpen = 0;
    EnableControls(kPortGroup, false);
    SetDlgItemText(IDC_BTN_OPENPORT, tr("Open"));
    RefreshComLabels();
    m_prompter->Message(LineLostMessage(m_pSerialPort->LastLineLoss()), kMessageCaption,
                        PromptIcon::Warning);
}
