// The command panel: the command list and its log, the function buttons and
// the manual command.

#include <QComboBox>
#include <QHeaderView>
#include <QTableView>
#include <array>

#include "app/Captions.h"
#include "app/OrvaneDlg.h"
#include "console/CommandListModel.h"
#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "console/FunctionButtons.h"
#include "console/ManualCommand.h"
#include "ptz/PtzBase.h"

namespace {

constexpr char kClearQuestion[] = QT_TRANSLATE_NOOP(
    "COrvaneDlg", "The command list has rows that were not saved.\nClear them anyway?");

}  // namespace

void COrvaneDlg::StyleCommandList() {
    m_listCommands->setShowGrid(true);
    m_listCommands->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listCommands->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listCommands->setWordWrap(false);
    m_listCommands->verticalHeader()->hide();
    m_listCommands->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_listCommands->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QPalette look = m_listCommands->palette();
    look.setColor(QPalette::Base, QColor(0xF7, 0xF7, 0xFF));
    look.setColor(QPalette::Text, QColor(0x00, 0x00, 0xFF));
    m_listCommands->setPalette(look);
    QHeaderView* header = m_listCommands->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(false);
    const int widths[CommandListModel::ColumnCount] = {80, 200, 100, 150};
    for (int column = 0; column < CommandListModel::ColumnCount; ++column) {
        header->resizeSection(column, widths[column]);
    }
    FollowNewRows();
}

// ---- command log ----------------------------------------------------------

void COrvaneDlg::TakeLoggedRows() {
    // Under the records' lock the log thread can hand on nothing more, so the
    // rows it posted before come first, then those still queued for it.
    g_LastCmd.Drain([this](const std::vector<CommandRecord>& queued) {
        m_pListModel->TakePosted();
        for (const CommandRecord& record : queued) {
            m_pListModel->AppendRecord(record);
        }
    });
    m_pListModel->TakePosted();
}

void COrvaneDlg::AppendCommandItem(CommandRecord record) {
    TakeLoggedRows();
    m_pListModel->AppendRecord(record);
}

// Rows still on their way belong to the list being emptied.
void COrvaneDlg::EmptyCommandList() {
    TakeLoggedRows();
    m_pListModel->Clear();
}

void COrvaneDlg::OnLogCommand() {
    AppendCommandItem(g_LastCmd.Load());
}

void COrvaneDlg::OnClear() {
    if (!MayDropUnsavedRows(kClearQuestion, kMessageCaption)) {
        return;
    }
    EmptyCommandList();
    m_dwLastCmdTick = 0;
}

// ---- function buttons and the manual command ------------------------------

void COrvaneDlg::RunFunctionButton(int id) {
    const FunctionButton* button = FindFunctionButton(id);
    if (button == nullptr || button->op < 0) {
        return;
    }
    if (button->readsFields) {
        UpdateData(true);
    }
    if (!m_pPtz || !SendFunctionCommand(*m_pPtz, *button, m_cbPresetId->currentIndex())) {
        return;
    }
    if (RecordLastCommand(m_pPtz.get())) {
        AppendCommandItem(g_LastCmd.Load());
    }
}

void COrvaneDlg::OnPreset() {
    RunFunctionButton(IDC_BTN_PRESET);
}
void COrvaneDlg::OnCall() {
    RunFunctionButton(IDC_BTN_CALL);
}
void COrvaneDlg::OnDelete() {
    RunFunctionButton(IDC_BTN_DELETE);
}
void COrvaneDlg::OnSetAux() {
    RunFunctionButton(IDC_BTN_SETAUX);
}
void COrvaneDlg::OnClrAux() {
    RunFunctionButton(IDC_BTN_CLRAUX);
}
void COrvaneDlg::OnHome() {
    RunFunctionButton(IDC_BTN_HOME);
}
void COrvaneDlg::OnMenu() {
    RunFunctionButton(IDC_BTN_MENU);
}
void COrvaneDlg::OnMemory() {
    RunFunctionButton(IDC_BTN_MEMORY);
}
void COrvaneDlg::OnScan() {
    RunFunctionButton(IDC_BTN_SCAN);
}
void COrvaneDlg::OnTour() {
    RunFunctionButton(IDC_BTN_TOUR);
}
void COrvaneDlg::OnStop() {
    RunFunctionButton(IDC_BTN_STOP);
}
void COrvaneDlg::OnShot() {}

void COrvaneDlg::OnSend() {
    UpdateData(true);
    const QByteArray text = m_strHexCommand.toUtf8();
    const ManualPreview send = PreviewManualCommand(
        std::string_view(text.constData(), static_cast<size_t>(text.size())), m_pPtz.get());
    switch (send.action) {
        case ManualPreview::NoDriver:
            return;
        case ManualPreview::Refused:
            m_prompter->Message(send.refusal, kMessageCaption, PromptIcon::Warning);
            return;
        case ManualPreview::WholeFrame:
            WaitForSendRoom(*m_pPtz);
            m_pPtz->AutoAction(send.frame.data(), static_cast<uint32_t>(send.frame.size()));
            break;
        case ManualPreview::CommandBytes:
            WaitForSendRoom(*m_pPtz);
            m_pPtz->ManualAction(send.bytes[0], send.bytes[1], send.bytes[2], send.bytes[3]);
            break;
    }
    if (RecordLastCommand(m_pPtz.get())) {
        AppendCommandItem(g_LastCmd.Load());
    }
}
