// Saving and loading the command list file.

#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include "app/OrvaneDlg.h"
#include "app/StartThread.h"
#include "commandlist/CommandListFile.h"
#include "commandlist/CommandRow.h"
#include "console/CommandListModel.h"
#include "console/ControlIds.h"
#include "platform/TickCount.h"
#include "ptz/PtzBase.h"
#include "stream/CxIOFile.h"
#include "stream/CxMemFile.h"

namespace {

constexpr char kOpenFilter[] = "All File(*.cfg)";
constexpr char kOpenDefaultName[] = "DomeConfig";

CommandListHeader HeaderFor(const PanelSelection& s) {
    CommandListHeader header{};
    header.port =
        PortBlock{0, s.port.com, s.port.baud, s.port.dataBits, s.port.stopBits, s.port.parity};
    header.ptz = PtzBlock{0, s.model, s.address};
    return header;
}

PanelSelection SelectionFor(const CommandListHeader& header) {
    return PanelSelection{{header.port.comIndex, header.port.baudIndex, header.port.parityIndex,
                           header.port.dataBitIndex, header.port.stopBitIndex},
                          header.ptz.modelIndex,
                          header.ptz.addressIndex};
}

}  // namespace

void COrvaneDlg::CollectRowRecords(std::vector<CommandRecord>& records) const {
    records.clear();
    const int rows = m_pListModel->Count();
    records.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        records.push_back(m_pListModel->RowRecord(row));
    }
}

std::string COrvaneDlg::ConfigPathForFile() const {
    return QFile::encodeName(m_strConfigPath).toStdString();
}

void COrvaneDlg::OnSave() {
    // Without a chosen folder there is no path to write: writing anyway could
    // overwrite a file the operator meant to keep.
    const std::optional<std::string> folder = m_prompter->ChooseFolder("Save");
    if (!folder) {
        return;
    }
    m_strConfigPath = QFile::decodeName(QByteArray::fromStdString(*folder)) + QLatin1Char('/') +
                      QString::fromLatin1(kCommandListFileName);
    // Only the path field is rewritten: numbers typed since the last read are
    // what the operator means to save, not the members' older values.
    m_editConfigPath->setText(m_strConfigPath);
    UpdateData(true);
    if (!m_pTempFile) {
        return;
    }
    CommandListHeader header = HeaderFor(ReadSelections());
    header.ctrlRate = m_nCtrlRate;
    header.cmdInterval = m_nCmdInterval;
    std::vector<CommandRecord> records;
    CollectRowRecords(records);
    SaveCommandList(*m_pTempFile, ConfigPathForFile(), header, records);
    UpdateData(false);
}

void COrvaneDlg::OnBrowse() {
    if (!m_pSerialPort) {
        return;
    }
    if (const std::optional<std::string> file =
            m_prompter->OpenFile(kOpenDefaultName, kOpenFilter)) {
        m_strConfigPath = QFile::decodeName(QByteArray::fromStdString(*file));
        UpdateData(false);
    }
    if (!m_pTempFile) {
        return;
    }
    // The file is read and checked whole before anything changes.
    CommandListHeader header{};
    std::vector<CommandRecord> records;
    CommandListLoad load;
    if (!LoadCommandList(*m_pTempFile, ConfigPathForFile(), header, records, load)) {
        return;
    }
    ApplySelections(SelectionFor(header));
    m_cbPresetId->setCurrentIndex(kLoadedPresetIndex);

    EmptyCommandList();
    m_nCtrlRate = header.ctrlRate;
    PublishCtrlRate();
    m_nCmdInterval = header.cmdInterval;
    m_pListModel->AppendRecords(records);

    StopAutoThread();
    if (m_bPortOpen) {
        ReopenPort();
    }
    RecreatePtzDriver();
    UpdateData(false);
    if (load.leftOut > 0) {
        m_prompter->Message(QStringLiteral("Loaded the first %1 rows; the list holds no more, "
                                           "so %2 rows of the file were left out.")
                                .arg(load.loaded)
                                .arg(load.leftOut)
                                .toStdString(),
                            "Orvane", PromptIcon::Information);
    }
}
