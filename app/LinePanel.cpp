// The line monitor and "Find camera" as the dialog sees them: the port's tap,
// the batches it hands over, and what the two windows may do to the line.

#include <QComboBox>

#include "app/FindCameraDlg.h"
#include "app/LineCapture.h"
#include "app/LineMonitorDlg.h"
#include "app/OrvaneDlg.h"
#include "console/CommandLog.h"
#include "console/HoldCommand.h"
#include "platform/NetworkPort.h"
#include "platform/PortBindings.h"
#include "ptz/PelcoP.h"
#include "ptz/PtzBase.h"
#include "serial/SerialPort.h"

void COrvaneDlg::OnLineMonitor() {
    if (m_pMonitorDlg == nullptr) {
        PositionLink link;
        link.unavailable = [this] { return PositionUnavailable(); };
        link.address = [this] { return static_cast<uint8_t>(ReadSelections().address); };
        link.send = [this](uint8_t opcode, uint16_t value) { SendPositionCommand(opcode, value); };
        m_pMonitorDlg = new CLineMonitorDlg(*m_prompter, std::move(link), this);
        connect(m_pMonitorDlg, &QDialog::finished, this, [this] { UpdateLineTap(); });
    }
    m_pMonitorDlg->show();
    m_pMonitorDlg->raise();
    m_pMonitorDlg->activateWindow();
    UpdateLineTap();
}

void COrvaneDlg::OnFindCamera() {
    if (!m_pSerialPort || !m_bPortOpen) {
        return;
    }
    // The scan owns the line while it runs.
    EndHold();
    StopAutoThread();
    if (m_pFindDlg == nullptr) {
        ScanLink link;
        link.reopen = [this](unsigned baud) { return ReopenAtBaud(baud); };
        link.send = [this](const std::vector<uint8_t>& frame) {
            return m_pSerialPort->SendBytes(frame.data(), static_cast<uint32_t>(frame.size())) != 0;
        };
        link.restore = [this] {
            if (!ScanAtFixedBaud()) {
                ReopenPort();
            }
            UpdateLineTap();
        };
        link.fixedBaud = [this]() -> std::optional<unsigned> {
            if (!ScanAtFixedBaud()) {
                return std::nullopt;
            }
            return PortSettingsFor(ReadSelections().port)->baudRate;
        };
        link.apply = [this](const CameraScan::Found& found) {
            const int model = found.protocol == DomeProtocol::PelcoP ? kModelPelcoP : kModelPelcoD;
            const auto baud = std::find(kBaudRates.begin(), kBaudRates.end(), found.baud);
            if (found.address >= m_cbPtzAddress->count() || baud == kBaudRates.end()) {
                m_prompter->Message(tr("Address %1 at %2 baud is outside the dialog's choices.")
                                        .arg(found.address)
                                        .arg(found.baud)
                                        .toStdString(),
                                    tr("Find Camera").toStdString(), PromptIcon::Warning);
                return;
            }
            m_cbPtzModel->setCurrentIndex(model);
            m_cbPtzAddress->setCurrentIndex(found.address);
            m_cbBaudRate->setCurrentIndex(static_cast<int>(baud - kBaudRates.begin()));
            StopAutoThread();
            if (m_bPortOpen) {
                ReopenPort();
            }
            RecreatePtzDriver();
            EmptyCommandList();
        };
        m_pFindDlg = new CFindCameraDlg(std::move(link), this);
        // The main dialog waits while the scan has the line; the monitor does not.
        m_pFindDlg->setWindowModality(Qt::WindowModal);
    }
    m_pFindDlg->show();
    m_pFindDlg->raise();
    m_pFindDlg->activateWindow();
}

bool COrvaneDlg::ScanAtFixedBaud() {
    const std::optional<PortSettings> line = PortSettingsFor(ReadSelections().port);
    return line && ParseNetworkTarget(ReadPortBinding(line->portNumber).target).has_value();
}

bool COrvaneDlg::ReopenAtBaud(unsigned baud) {
    if (ScanAtFixedBaud()) {
        UpdateLineTap();  // the line stays as it is
        return m_bPortOpen != 0;
    }
    const std::optional<PortSettings> line = PortSettingsFor(ReadSelections().port);
    if (!line) {
        return false;
    }
    UpdateLineTap();
    m_pSerialPort->CloseComm();
    const bool open = m_pSerialPort->OpenComm([](uint8_t*, uint32_t) {}, line->portNumber, baud,
                                              line->parity, line->dataBits, line->stopBits) != 0;
    m_bPortOpen = open ? 1 : 0;
    return open;
}

void COrvaneDlg::UpdateLineTap() {
    if (!m_pSerialPort) {
        return;
    }
    const bool wanted = (m_pMonitorDlg != nullptr && m_pMonitorDlg->isVisible()) ||
                        (m_pFindDlg != nullptr && m_pFindDlg->Scanning());
    if (wanted && !m_lineCapture) {
        m_lineCapture = std::make_unique<LineCapture>([this] {
            QMetaObject::invokeMethod(this, &COrvaneDlg::DrainLine, Qt::QueuedConnection);
        });
    }
    m_pSerialPort->SetLineTap(wanted ? m_lineCapture.get() : nullptr);
}

void COrvaneDlg::DrainLine() {
    if (!m_lineCapture) {
        return;
    }
    const std::vector<LineCapture::Chunk> chunks = m_lineCapture->Take();
    const uint64_t dropped = m_lineCapture->TakeDropped();
    if (m_pMonitorDlg != nullptr && m_pMonitorDlg->isVisible()) {
        m_pMonitorDlg->Append(chunks, dropped);
    }
    if (m_pFindDlg != nullptr && m_pFindDlg->Scanning()) {
        for (const LineCapture::Chunk& c : chunks) {
            if (c.direction == LineDirection::Received) {
                m_pFindDlg->Received(c.bytes.data(), c.bytes.size());
            }
        }
    }
}

QString COrvaneDlg::PositionUnavailable() const {
    if (!m_bPortOpen || !m_pPtz) {
        return tr("Open the port to ask for or set the camera's position.");
    }
    const bool pelcoP = dynamic_cast<const PelcoP*>(m_pPtz.get()) != nullptr;
    if (pelcoP) {
        return tr("Pelco-P has no position commands: these controls work with Pelco-D only.");
    }
    if (m_bAutoRun) {
        return tr("A replay is running.");
    }
    if (m_pFindDlg != nullptr && m_pFindDlg->Scanning()) {
        return tr("A camera scan is running.");
    }
    return {};
}

// Goes out and is listed as the Send button's frames are.
void COrvaneDlg::SendPositionCommand(uint8_t opcode, uint16_t value) {
    if (!PositionUnavailable().isEmpty()) {
        return;
    }
    WaitForSendRoom(*m_pPtz);
    m_pPtz->ManualAction(0, opcode, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value));
    if (RecordLastCommand(m_pPtz.get())) {
        AppendCommandItem(g_LastCmd.Load());
    }
}

void COrvaneDlg::CloseLineWindows() {
    if (m_pFindDlg != nullptr) {
        delete m_pFindDlg;  // a scan under way ends and puts the port back
        m_pFindDlg = nullptr;
    }
    if (m_pSerialPort) {
        m_pSerialPort->SetLineTap(nullptr);
    }
    delete m_pMonitorDlg;
    m_pMonitorDlg = nullptr;
}
