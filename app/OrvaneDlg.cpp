// The dialog's life cycle: construction, initialisation, the working objects
// and the log thread, the system menu and keys, and the release at the end.

#include "app/OrvaneDlg.h"
#include "app/Captions.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <new>

#include "app/AppIcon.h"
#include "app/LineCapture.h"
#include "app/QtPrompter.h"
#include "app/StartThread.h"
#include "commandlist/CommandListFile.h"
#include "commandlist/ReplayRunner.h"
#include "console/CommandListModel.h"
#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "console/HoldButton.h"
#include "console/HoldCommand.h"
#include "platform/Semaphore.h"
#include "ptz/PtzBase.h"
#include "serial/SerialPort.h"
#include "stream/CxIOFile.h"
#include "stream/CxMemFile.h"

namespace {

constexpr char kBanner[] = QT_TRANSLATE_NOOP("COrvaneDlg", "PTZ Bench");
constexpr char kBuildDate[] = __DATE__;
constexpr int kMaxCaption = 255;
// Chinese in every language, as the About box is.
constexpr char kAboutEntry[] = "关于 Orvane(&A)...";
constexpr char kUnsavedQuestion[] = QT_TRANSLATE_NOOP(
    "COrvaneDlg", "The command list has rows that were not saved.\nClose anyway and lose them?");

}  // namespace

COrvaneDlg::COrvaneDlg(QWidget* parent, IPrompter* prompter)
    : QDialog(parent),
      m_replay(std::make_unique<ReplayRunner>()),
      m_strConfigPath(QString::fromLatin1(kCommandListFileName)),
      m_strHexCommand(QStringLiteral("0x00 0x00 0x00 0x00")),
      m_nCmdInterval(800),
      m_nCtrlRate(kDefaultCtrlRate),
      m_hIcon(MakeAppIcon()),
      m_prompter(prompter) {
    if (m_prompter == nullptr) {
        m_ownPrompter = std::make_unique<QtPrompter>(this);
        m_prompter = m_ownPrompter.get();
    }
    m_holdEndingPrompter = std::make_unique<HoldEndingPrompter>(*m_prompter);
    m_prompter = m_holdEndingPrompter.get();
    BuildTemplate();
}

COrvaneDlg::~COrvaneDlg() {
    ReleaseObjects();
    if (g_pLastCmdTick == &m_dwLastCmdTick) {
        SetLastTickSlot(nullptr);
    }
}

void COrvaneDlg::Create() {
    if (!m_initialised) {
        OnInitDialog();
    }
    show();
}

int COrvaneDlg::DoModal() {
    if (!m_initialised) {
        OnInitDialog();
    }
    return exec();
}

void COrvaneDlg::OnInitDialog() {
    m_initialised = true;
    UpdateData(false);

    m_pSysMenu = new QMenu(this);
    m_pSysMenu->addSeparator();
    QAction* about = m_pSysMenu->addAction(QString::fromUtf8(kAboutEntry));
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });

    setWindowIcon(m_hIcon);
    AssignHoldButtonCodes();
    InitDialogState();
}

void COrvaneDlg::InitDialogState() {
    m_dwLastCmdTick = 0;
    m_bPortOpen = 0;
    m_bAutoRun = 0;
    SetLastTickSlot(&m_dwLastCmdTick);

    AppendTitle(kBanner);
    EnableControls(kPortGroup, false);

    FillSelectionLists();
    StyleCommandList();
    // A failure has been reported and the fields keep their template state.
    if (CreateWorkingObjects()) {
        UpdateData(false);
    }
}

bool COrvaneDlg::Allowed(CreationStep step) const {
    return !m_creationHook || m_creationHook(step);
}

// In the order the rest relies on them; the first failure is reported and
// removes what was made before it. Without the semaphore or the log thread
// the dialog still works, it only lists no held-button commands.
bool COrvaneDlg::CreateWorkingObjects() {
    auto fail = [this](const QString& message) {
        m_prompter->Message(message.toStdString(), kWarningCaption, PromptIcon::None);
        DestroyWorkingObjects();
        return false;
    };

    m_pSerialPort.reset();
    SetDriver(nullptr);
    if (Allowed(CreationStep::SerialPort)) {
        m_pSerialPort.reset(new (std::nothrow) CSerialPort());
    }
    if (!m_pSerialPort) {
        return fail(tr("Create SerialPort Object Failed!"));
    }

    const PanelSelection selection = ReadSelections();
    SetDriver(CreatePtzDriver(selection.model, selection.address));
    if (!m_pPtz && (selection.model == kModelPelcoD || selection.model == kModelPelcoP)) {
        return fail(selection.model == kModelPelcoD ? tr("Create Pelco-D Object Failed!")
                                                    : tr("Create Pelco-P Object Failed!"));
    }

    if (Allowed(CreationStep::TempFile)) {
        m_pTempFile.reset(new (std::nothrow) CxIOFile());
    }
    if (!m_pTempFile) {
        return fail(tr("Create Temp File Object Failed!"));
    }

    m_nTempBufferSize = kTempBufferSize;
    if (Allowed(CreationStep::TempBuffer)) {
        m_pTempBuffer.reset(new (std::nothrow) uint8_t[m_nTempBufferSize]);
    }
    if (!m_pTempBuffer) {
        return fail(tr("Create Temp Buffer Object Failed!"));
    }

    if (Allowed(CreationStep::MemFile)) {
        m_pMemFile.reset(new (std::nothrow) CxMemFile(m_pTempBuffer.get(), m_nTempBufferSize));
    }
    if (!m_pMemFile) {
        return fail(tr("Create Temp Memfile Object Failed!"));
    }

    m_bLogRun = 0;
    if (Allowed(CreationStep::Semaphore)) {
        SetLogSemaphore(std::unique_ptr<Semaphore>(new (std::nothrow) Semaphore(0, 1)));
    }
    if (g_hMsgSemaphore) {
        m_bLogRun = 1;
        if (!Allowed(CreationStep::LogThread) ||
            !StartThread(m_hLogThread, [this] { LogThreadProc(this); })) {
            m_bLogRun = 0;
        }
    }
    return true;
}

void COrvaneDlg::AppendTitle(const char* text) {
    if (text == nullptr) {
        return;
    }
    const QString caption = windowTitle().left(kMaxCaption);
    setWindowTitle(QStringLiteral("%1 %2 %3")
                       .arg(caption, tr(text), QString::fromLatin1(kBuildDate))
                       .left(kMaxCaption));
}

void COrvaneDlg::DestroyWorkingObjects() {
    m_pMemFile.reset();
    m_pTempBuffer.reset();
    m_pTempFile.reset();
    SetDriver(nullptr);
    m_pSerialPort.reset();
}

void COrvaneDlg::ReleaseObjects() {
    // The camera stops before the port closes, and the replay goes at once,
    // without waiting for its pass.
    EndHold();
    StopAutoThread();
    JoinNetworkOpen();
    CloseLineWindows();
    if (m_hLogThread.joinable()) {
        m_bLogRun = 0;
        m_hLogThread.join();
    }
    DestroyWorkingObjects();
    SetLogSemaphore(nullptr);
    // Records no list will take; another dialog must not list them.
    g_LastCmd.Drain([](const std::vector<CommandRecord>&) {});
}

void COrvaneDlg::LogThreadProc(COrvaneDlg* dlg) {
    // The append is posted, never awaited: the dialog's thread may be the one
    // joining this thread, and a row is only ever added on that thread. A
    // burst of records costs one queued call.
    CommandListModel* list = dlg->m_pListModel;
    ::LogThreadProc(dlg->m_bLogRun, *g_hMsgSemaphore,
                    [list](const CommandRecord& record) { list->PostRecord(record); });
}

// ---- system menu, keys and closing ----------------------------------------

void COrvaneDlg::OnSysCommand(uint32_t id) {
    if ((id & 0xFFF0u) == IDM_ABOUTBOX) {
        m_prompter->About();
    }
}

void COrvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The menu takes the mouse, and with it a held button's release.
    EndHold();
    if (m_pSysMenu != nullptr) {
        m_pSysMenu->exec(event->globalPos());
    }
}

// Only the close box ends the dialog: Enter and Escape never do, so a
// keystroke cannot throw away an unsaved list.
void COrvaneDlg::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // A focused button takes Enter as its click; a held button's click
        // sends nothing. The fields act on Enter themselves (Send, commit).
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused != nullptr && qobject_cast<CHoldButton*>(focused) == nullptr &&
            focused->isEnabled() && event->modifiers() == Qt::NoModifier) {
            focused->click();
        }
        return;
    }
    if (key == Qt::Key_Escape) {
        return;
    }
    QDialog::keyPressEvent(event);
}

void COrvaneDlg::closeEvent(QCloseEvent* event) {
    if (!MayDropUnsavedRows(kUnsavedQuestion, kMessageCaption)) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void COrvaneDlg::done(int result) {
    QDialog::done(result);
    ReleaseObjects();
}
