// Saving and loading the command list file.

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <cerrno>
#include <new>

#include "app/Captions.h"
#include "app/OrvaneDlg.h"
#include "commandlist/CommandListFile.h"
#include "commandlist/CommandListStore.h"
#include "console/CommandListModel.h"
#include "console/Texts.h"
#include "stream/CxIOFile.h"

namespace {

constexpr char kOpenDefaultName[] = "DomeConfig";
constexpr char kLoadOverQuestion[] = QT_TRANSLATE_NOOP(
    "COrvaneDlg", "The command list has rows that were not saved.\nLoad the file in their place?");

QString Commands(size_t count) {
    return count == 1 ? QCoreApplication::translate("COrvaneDlg", "1 command")
                      : QCoreApplication::translate("COrvaneDlg", "%1 commands").arg(count);
}

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

bool COrvaneDlg::HasUnsavedRows() {
    TakeLoggedRows();
    return m_pListModel->Unsaved();
}

bool COrvaneDlg::MayDropUnsavedRows(const char* question, const std::string& caption) {
    return !HasUnsavedRows() || m_prompter->Ask(tr(question).toStdString(), caption);
}

// What happened stays readable; a long path gives way in its middle.
void COrvaneDlg::ShowFileStatus(const QString& what, const QString& path) {
    const QString lead = path.isEmpty() ? what : what + QLatin1Char(' ');
    const QFontMetrics metrics = m_lblFileStatus->fontMetrics();
    m_lblFileStatus->setToolTip(lead + path);
    m_lblFileStatus->setText(
        lead + metrics.elidedText(path, Qt::ElideMiddle,
                                  m_lblFileStatus->width() - metrics.horizontalAdvance(lead)));
}

void COrvaneDlg::OnSave() {
    // The numbers as typed are what the operator means to save; a bad one is
    // reported and nothing is written.
    if (!UpdateData(true)) {
        return;
    }
    // Without a chosen folder there is no path to write: writing anyway could
    // overwrite a file the operator meant to keep.
    const std::optional<std::string> folder = m_prompter->ChooseFolder(tr("Save").toStdString());
    if (!folder || !m_pTempFile) {
        return;
    }
    const std::string path = CommandListPath(*folder);
    if (CommandListFileExists(*folder) &&
        !m_prompter->Ask(
            texts::Fill(tr("%1 already exists.\nDo you want to replace it?").toStdString(), {path}),
            kMessageCaption)) {
        return;
    }
    CommandListHeader header = HeaderFor(ReadSelections());
    header.ctrlRate = m_nCtrlRate;
    header.cmdInterval = m_nCmdInterval;
    std::vector<CommandRecord> records;
    orvane::Result result;
    TakeLoggedRows();
    try {
        CollectRowRecords(records);
        result = SaveCommandListFile(*m_pTempFile, *folder, header, records);
    } catch (const std::bad_alloc&) {
        result = orvane::Result::Failed(path, ENOMEM);
    }
    if (!result) {
        ShowFileStatus(QString(), QString());
        m_prompter->Message(texts::Fill(tr("The command list was not saved.\n%1").toStdString(),
                                        {result.Message()}),
                            kMessageCaption, PromptIcon::Warning);
        return;
    }
    m_pListModel->MarkSaved();
    m_strConfigPath = QFile::decodeName(QByteArray::fromStdString(path));
    ShowFileStatus(tr("Saved %1 to").arg(Commands(records.size())), m_strConfigPath);
    UpdateData(false);
}

void COrvaneDlg::OnBrowse() {
    if (!m_pSerialPort || !m_pTempFile) {
        return;
    }
    const std::optional<std::string> file =
        m_prompter->OpenFile(kOpenDefaultName, tr("All File(*.cfg)").toStdString());
    if (!file) {
        return;
    }
    // The file is read and checked whole before anything changes.
    CommandListHeader header{};
    std::vector<CommandRecord> records;
    CommandListLoad load;
    orvane::Result result;
    try {
        result = LoadCommandListFile(*m_pTempFile, *file, header, records, &load);
    } catch (const std::bad_alloc&) {
        m_pTempFile->Close();
        result = orvane::Result::Failed(*file, ENOMEM);
    }
    if (!result) {
        m_prompter->Message(texts::Fill(tr("The command list was not loaded.\n%1").toStdString(),
                                        {result.Message()}),
                            kMessageCaption, PromptIcon::Warning);
        return;
    }
    if (!MayDropUnsavedRows(kLoadOverQuestion, kMessageCaption)) {
        return;
    }
    EmptyCommandList();
    m_pListModel->AppendRecords(records);
    m_pListModel->MarkSaved();
    m_strConfigPath = QFile::decodeName(QByteArray::fromStdString(*file));
    ApplySelections(SelectionFor(header));
    m_cbPresetId->setCurrentIndex(kLoadedPresetIndex);
    m_nCtrlRate = header.ctrlRate;
    PublishCtrlRate();
    m_nCmdInterval = header.cmdInterval;

    StopAutoThread();
    if (m_bPortOpen) {
        ReopenPort();
    }
    RecreatePtzDriver();
    UpdateData(false);
    if (load.missing > 0) {
        // A file cut short loads what it holds, and says so.
        const QString what =
            tr("Loaded %1 of the %2 commands the file promises; the file is cut short.")
                .arg(load.loaded)
                .arg(load.loaded + load.leftOut + load.missing);
        ShowFileStatus(what, QString());
        m_prompter->Message((what + QStringLiteral("\n") + m_strConfigPath).toStdString(),
                            kMessageCaption, PromptIcon::Warning);
    } else {
        ShowFileStatus(tr("Loaded %1 from").arg(Commands(records.size())), m_strConfigPath);
    }
    if (load.leftOut > 0) {
        m_prompter->Message(tr("Loaded the first %1 rows; the list holds no more, "
                               "so %2 rows of the file were left out.")
                                .arg(load.loaded)
                                .arg(load.leftOut)
                                .toStdString(),
                            kMessageCaption, PromptIcon::Information);
    }
}
