// The replay: started and stopped without the dialog's thread ever waiting
// for a pass, and shown as it goes (the row being sent, the pass); and the
// list view following new rows while it is at its bottom.

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <new>

#include "app/Captions.h"
#include "app/OrvaneDlg.h"
#include "commandlist/ReplayRunner.h"
#include "console/CommandListModel.h"
#include "console/ControlIds.h"
#include "console/HoldCommand.h"
#include "console/NumberField.h"
#include "ptz/PtzBase.h"
#include "stream/CxMemFile.h"

namespace {

constexpr char kCmdIntervalField[] = QT_TRANSLATE_NOOP("COrvaneDlg", "Cmd Interval Time");

}  // namespace

void COrvaneDlg::SetReplayClock(ReplayClock* clock) {
    StopAutoThread();
    m_replay = std::make_unique<ReplayRunner>(clock != nullptr ? *clock : SteadyReplayClock());
}

void COrvaneDlg::StopAutoThread() {
    // A replay the dialog still shows may have left the camera moving, even
    // one whose thread has just ended.
    const bool shown = m_bAutoRun != 0;
    m_replay->Abort();
    // The stop is the replay's, sent through its driver now that its thread
    // has ended, so it is not listed.
    if (shown && m_pReplayPtz) {
        m_pReplayPtz->Action(PTZ_STOP, 0, 0);
    }
    m_pReplayPtz.reset();
    EndReplayDisplay();
}

bool COrvaneDlg::FitReplayBuffer(size_t records) {
    const uint64_t needed = sizeof(ReplayHeader) + uint64_t{sizeof(CommandRecord)} * records;
    if (needed <= m_nTempBufferSize) {
        return true;
    }
    if (needed > static_cast<uint64_t>(INT32_MAX)) {
        return false;
    }
    const auto size = static_cast<uint32_t>(needed);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
    std::unique_ptr<CxMemFile> stream;
    if (buffer) {
        stream.reset(new (std::nothrow) CxMemFile(buffer.get(), size));
    }
    if (!stream) {
        return false;
    }
    // The stream goes before the buffer it works on.
    m_pMemFile = std::move(stream);
    m_pTempBuffer = std::move(buffer);
    m_nTempBufferSize = size;
    return true;
}

// The field, not the member: a start must not replay with an interval the
// operator no longer sees.
bool COrvaneDlg::ReadCmdInterval() {
    const QByteArray text = m_editCmdInterval->text().toUtf8();
    if (NumberField::Parse(text.toStdString()).state == NumberField::Valid) {
        return true;
    }
    m_prompter->Message(NumberField::InvalidMessage(tr(kCmdIntervalField).toStdString()),
                        kMessageCaption, PromptIcon::Warning);
    m_editCmdInterval->setFocus();
    m_editCmdInterval->selectAll();
    return false;
}

void COrvaneDlg::OnAutoStart() {
    if (m_bAutoRun) {
        if (m_bAutoRun == kReplayStopping) {
            // The second click: no waiting for the pass, and the camera stops.
            StopAutoThread();
            return;
        }
        // The pass under way still goes out whole on the replay thread;
        // OnReplayFinished gives the button back. Meanwhile the button offers
        // to stop at once, so a long pass never has to be waited out.
        m_replay->RequestStop();
        m_bAutoRun = kReplayStopping;
        SetDlgItemText(IDC_BTN_AUTOSTART, tr("Stop now"));
        m_labelReplayPass->setText(tr("Stopping... (pass %1 goes out whole)")
                                       .arg(std::max<uint32_t>(m_replay->Pass(), 1)));
        return;
    }
    EndHold();
    if (!ReadCmdInterval()) {
        return;
    }
    UpdateData(true);
    if (!m_pMemFile) {
        return;
    }
    TakeLoggedRows();
    if (m_pListModel->Count() == 0) {
        m_prompter->Message(
            tr("The command list is empty: there is nothing to replay.").toStdString(),
            kMessageCaption, PromptIcon::Information);
        return;
    }
    CollectRowRecords(m_replayRecords);
    if (!FitReplayBuffer(m_replayRecords.size())) {
        m_prompter->Message(tr("There is not enough memory to replay %1 commands.")
                                .arg(m_replayRecords.size())
                                .toStdString(),
                            kMessageCaption, PromptIcon::Warning);
        return;
    }
    if (!WriteReplayStream(*m_pMemFile, m_nCmdInterval, m_replayRecords) ||
        !Allowed(CreationStep::ReplayThread)) {
        return;
    }
    // Both run on the replay thread; one position update at a time is queued,
    // so a fast replay cannot flood the dialog's thread.
    auto progress = [this](int32_t, uint32_t) {
        if (!m_replayShowPosted.exchange(true)) {
            QMetaObject::invokeMethod(this, &COrvaneDlg::ShowReplayPosition, Qt::QueuedConnection);
        }
    };
    auto finished = [this] {
        QMetaObject::invokeMethod(this, &COrvaneDlg::OnReplayFinished, Qt::QueuedConnection);
    };
    m_pReplayPtz = CreateReplayDriver();
    if (!m_replay->Start(m_pReplayPtz.get(), *m_pMemFile, progress, finished)) {
        m_pReplayPtz.reset();
        return;
    }
    m_bAutoRun = 1;
    m_dwLastCmdTick = 0;
    SetDlgItemText(IDC_BTN_AUTOSTART, tr("Auto Stop"));
    EnableControls(kReplayGroup, false);
}

void COrvaneDlg::ShowReplayPosition() {
    m_replayShowPosted = false;
    const int32_t row = m_replay->Record();
    const uint32_t pass = m_replay->Pass();
    if (!m_bAutoRun || pass == 0 || row < 0 || row >= m_pListModel->rowCount()) {
        return;
    }
    // Only the selection moves: the current item and the focus stay where
    // the operator left them.
    const QModelIndex index = m_pListModel->index(row, 0);
    m_listCommands->selectionModel()->select(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_listCommands->scrollTo(index);
    if (m_bAutoRun != kReplayStopping) {
        m_labelReplayPass->setText(tr("Pass %1").arg(pass));
    }
}

void COrvaneDlg::OnReplayFinished() {
    // A late word from a replay that an abort ended while a new one runs.
    if (m_replay->Running()) {
        return;
    }
    m_replay->Join();
    m_pReplayPtz.reset();
    EndReplayDisplay();
}

void COrvaneDlg::EndReplayDisplay() {
    if (!m_bAutoRun) {
        return;
    }
    m_bAutoRun = 0;
    SetDlgItemText(IDC_BTN_AUTOSTART, tr("Auto Start"));
    GetDlgItem(IDC_BTN_AUTOSTART)->setEnabled(true);
    EnableControls(kReplayGroup, true);
    m_labelReplayPass->clear();
}

// As a terminal does: new rows come into view while the view shows the last
// row; an operator who scrolled up to read stays where they are.
void COrvaneDlg::FollowNewRows() {
    connect(m_pListModel, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar* bar = m_listCommands->verticalScrollBar();
        m_listAtBottom = bar->value() >= bar->maximum();
    });
    connect(m_pListModel, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first) {
                // A list filled from empty (a loaded file) is read from its top.
                if (m_listAtBottom && first > 0) {
                    m_listCommands->scrollToBottom();
                }
            });
}
