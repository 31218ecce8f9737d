#include "app/OrvaneDlg.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <array>
#include <limits>
#include <new>
#include <system_error>

#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "app/QtPrompter.h"
#include "app/SelectionTables.h"
#include "commandlist/CommandListFile.h"
#include "commandlist/CommandRow.h"
#include "console/CommandListModel.h"
#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "console/FunctionButtons.h"
#include "console/HoldButton.h"
#include "console/ManualCommand.h"
#include "platform/Semaphore.h"
#include "platform/TickCount.h"
#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "serial/SerialPort.h"
#include "stream/CxIOFile.h"
#include "stream/CxMemFile.h"

namespace {

constexpr char kBanner[] = "PTZ Bench";
constexpr char kBuildDate[] = __DATE__;
constexpr int kMaxCaption = 255;
constexpr char kWarningCaption[] = "WARNING";
constexpr char kMessageCaption[] = "Message";
constexpr char kAboutEntry[] = "关于 Orvane(&A)...";
constexpr char kBadNumber[] = "Please enter a whole number from 0 to 4294967295.";
constexpr char kOpenFilter[] = "All File(*.cfg)";
constexpr char kOpenDefaultName[] = "DomeConfig";

// Everything that needs an open port.
constexpr std::array<int, 35> kPortGroupIds = {
    IDC_BTN_BROWSE,      IDC_BTN_SAVE,      IDC_BTN_UP,        IDC_BTN_DOWN,
    IDC_BTN_LEFT,        IDC_BTN_RIGHT,     IDC_BTN_LU,        IDC_BTN_RU,
    IDC_BTN_LD,          IDC_BTN_RD,        IDC_BTN_WIDE,      IDC_BTN_TELE,
    IDC_BTN_FAR,         IDC_BTN_NEAR,      IDC_BTN_OPEN,      IDC_BTN_CLOSE,
    IDC_BTN_PRESET,      IDC_BTN_SHOT,      IDC_BTN_SEND,      IDC_COMBO_PRESETID,
    IDC_EDIT_HEXCOMMAND, IDC_BTN_AUTOSTART, IDC_BTN_CALL,      IDC_EDIT_CMDINTERVAL,
    IDC_BTN_CLEAR,       IDC_BTN_STOP,      IDC_BTN_MENU,      IDC_BTN_SCAN,
    IDC_BTN_TOUR,        IDC_BTN_MEMORY,    IDC_EDIT_CTRLRATE, IDC_BTN_SETAUX,
    IDC_BTN_CLRAUX,      IDC_BTN_HOME,      IDC_BTN_DELETE,
};

// Everything a running replay must not meet, except the button that stops it.
constexpr std::array<int, 9> kReplayOnlyIds = {
    IDC_EDIT_CONFIGPATH, IDC_BTN_OPENPORT,   IDC_COMBO_COM,
    IDC_COMBO_BAUDRATE,  IDC_COMBO_DATABIT,  IDC_COMBO_STOPBIT,
    IDC_COMBO_PARITY,    IDC_COMBO_PTZMODEL, IDC_COMBO_PTZADDRESS,
};

struct HoldButtonSpec {
    int id;
    const char* caption;
    int x;
    int y;
};

void IgnoreReceived(uint8_t*, uint32_t) {}

// std::thread reports a failed start by throwing; the dialog treats it as a
// result like every other creation step.
template <typename Body>
bool StartThread(std::thread& thread, Body body) {
    try {
        thread = std::thread(std::move(body));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace

COrvaneDlg::COrvaneDlg(QWidget* parent, IPrompter* prompter)
    : QDialog(parent),
      m_strConfigPath(QString::fromLatin1(kCommandListFileName)),
      m_strHexCommand(QStringLiteral("0x00 0x00 0x00 0x00")),
      m_nCmdInterval(800),
      m_nCtrlRate(32),
      m_hIcon(MakeAppIcon()),
      m_prompter(prompter) {
    if (m_prompter == nullptr) {
        m_ownPrompter = std::make_unique<QtPrompter>(this);
        m_prompter = m_ownPrompter.get();
    }
    BuildTemplate();
}

COrvaneDlg::~COrvaneDlg() {
    ReleaseObjects();
    if (g_pLastCmdTick == &m_dwLastCmdTick) {
        g_pLastCmdTick = nullptr;
    }
}

// ---- template -------------------------------------------------------------

template <typename Widget>
Widget* COrvaneDlg::AddControl(int id, Widget* widget, int x, int y, int width, int height) {
    const DialogUnits dlu(font());
    widget->setGeometry(dlu.Rect(x, y, width, height));
    widget->setProperty("controlId", id);
    m_controls[id] = widget;
    return widget;
}

void COrvaneDlg::AddStatic(const char* text, int x, int y, int width, int height) {
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setGeometry(DialogUnits(font()).Rect(x, y, width, height));
}

void COrvaneDlg::AddGroup(const char* caption, int x, int y, int width, int height) {
    auto* group = new QGroupBox(QString::fromLatin1(caption), this);
    group->setGeometry(DialogUnits(font()).Rect(x, y, width, height));
    group->lower();
}

void COrvaneDlg::BuildTemplate() {
    setWindowTitle(QStringLiteral("Orvane"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto button = [this](int id, const char* caption, int x, int y, int w, int h) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setAutoDefault(false);
        return AddControl(id, b, x, y, w, h);
    };
    auto combo = [this](int id, int x, int y, int w) {
        auto* c = new QComboBox(this);
        c->setMaxVisibleItems(12);
        return AddControl(id, c, x, y, w, 14);
    };
    auto edit = [this](int id, int x, int y, int w, bool digitsOnly) {
        auto* e = new QLineEdit(this);
        if (digitsOnly) {
            e->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
        }
        return AddControl(id, e, x, y, w, 13);
    };

    // Left column.
    AddGroup("Configure COM", 7, 7, 150, 118);
    AddStatic("COM", 15, 22, 46, 8);
    m_cbComPort = combo(IDC_COMBO_COM, 65, 20, 84);
    AddStatic("BaudRate", 15, 40, 46, 8);
    m_cbBaudRate = combo(IDC_COMBO_BAUDRATE, 65, 38, 84);
    AddStatic("Data Bit", 15, 58, 46, 8);
    m_cbDataBit = combo(IDC_COMBO_DATABIT, 65, 56, 84);
    AddStatic("Stop Bit", 15, 76, 46, 8);
    m_cbStopBit = combo(IDC_COMBO_STOPBIT, 65, 74, 84);
    AddStatic("Parity Bit", 15, 94, 46, 8);
    m_cbParity = combo(IDC_COMBO_PARITY, 65, 92, 84);
    button(IDC_BTN_OPENPORT, "Open", 99, 108, 50, 14);

    AddGroup("RS485 Configure", 7, 130, 150, 50);
    AddStatic("PTZ Model", 15, 145, 46, 8);
    m_cbPtzModel = combo(IDC_COMBO_PTZMODEL, 65, 143, 84);
    AddStatic("PTZ Address", 15, 163, 46, 8);
    m_cbPtzAddress = combo(IDC_COMBO_PTZADDRESS, 65, 161, 84);

    AddGroup("Configuation File", 7, 185, 150, 48);
    m_editConfigPath = edit(IDC_EDIT_CONFIGPATH, 15, 198, 134, false);
    button(IDC_BTN_BROWSE, "Browse", 15, 215, 60, 14);
    button(IDC_BTN_SAVE, "Save", 89, 215, 60, 14);

    AddGroup("Command Edit(Hex)", 7, 238, 150, 48);
    m_editHexCommand = edit(IDC_EDIT_HEXCOMMAND, 15, 251, 134, false);
    button(IDC_BTN_SEND, "Send", 89, 268, 60, 14);

    AddGroup("Auto Button", 7, 291, 150, 75);
    AddStatic("Cmd Interval Time", 15, 306, 66, 8);
    m_editCmdInterval = edit(IDC_EDIT_CMDINTERVAL, 82, 304, 45, true);
    AddStatic("ms", 131, 306, 14, 8);
    button(IDC_BTN_AUTOSTART, "Auto Start", 15, 326, 60, 14);
    button(IDC_BTN_CLEAR, "Clear", 89, 326, 60, 14);

    // Right column: the keyboard. Direction pad, lens pairs, then the
    // function buttons in two rows.
    AddGroup("KeyBoard", 163, 7, 292, 118);
    const std::array<HoldButtonSpec, 14> holds = {{
        {IDC_BTN_LU, "LU", 171, 20},
        {IDC_BTN_UP, "Up", 211, 20},
        {IDC_BTN_RU, "RU", 251, 20},
        {IDC_BTN_LEFT, "Left", 171, 40},
        {IDC_BTN_RIGHT, "Right", 251, 40},
        {IDC_BTN_LD, "LD", 171, 60},
        {IDC_BTN_DOWN, "Down", 211, 60},
        {IDC_BTN_RD, "RD", 251, 60},
        {IDC_BTN_TELE, "TELE", 297, 20},
        {IDC_BTN_WIDE, "WIDE", 337, 20},
        {IDC_BTN_NEAR, "NEAR", 297, 40},
        {IDC_BTN_FAR, "FAR", 337, 40},
        {IDC_BTN_OPEN, "OPEN", 297, 60},
        {IDC_BTN_CLOSE, "CLOSE", 337, 60},
    }};
    std::map<int, CHoldButton*> holdById;
    for (const HoldButtonSpec& hold : holds) {
        holdById[hold.id] =
            AddControl(hold.id, new CHoldButton(QString::fromLatin1(hold.caption), this), hold.x,
                       hold.y, 36, 16);
    }
    m_btnClose = holdById[IDC_BTN_CLOSE];
    m_btnOpen = holdById[IDC_BTN_OPEN];
    m_btnFar = holdById[IDC_BTN_FAR];
    m_btnNear = holdById[IDC_BTN_NEAR];
    m_btnWide = holdById[IDC_BTN_WIDE];
    m_btnTele = holdById[IDC_BTN_TELE];
    m_btnDown = holdById[IDC_BTN_DOWN];
    m_btnUp = holdById[IDC_BTN_UP];
    m_btnRU = holdById[IDC_BTN_RU];
    m_btnRight = holdById[IDC_BTN_RIGHT];
    m_btnRD = holdById[IDC_BTN_RD];
    m_btnLU = holdById[IDC_BTN_LU];
    m_btnLeft = holdById[IDC_BTN_LEFT];
    m_btnLD = holdById[IDC_BTN_LD];

    AddStatic("Ctrl Rate", 383, 22, 62, 8);
    m_editCtrlRate = edit(IDC_EDIT_CTRLRATE, 383, 32, 62, true);
    AddStatic("Preset ID", 383, 50, 62, 8);
    m_cbPresetId = combo(IDC_COMBO_PRESETID, 383, 60, 62);

    const std::array<int, 12> functionOrder = {
        IDC_BTN_PRESET, IDC_BTN_CALL, IDC_BTN_DELETE, IDC_BTN_SETAUX, IDC_BTN_CLRAUX, IDC_BTN_SHOT,
        IDC_BTN_HOME,   IDC_BTN_MENU, IDC_BTN_MEMORY, IDC_BTN_SCAN,   IDC_BTN_TOUR,   IDC_BTN_STOP,
    };
    for (size_t i = 0; i < functionOrder.size(); ++i) {
        const FunctionButton* f = FindFunctionButton(functionOrder[i]);
        button(f->id, f->caption, 171 + 46 * static_cast<int>(i % 6), i < 6 ? 84 : 102, 42, 14);
    }

    AddGroup("Command List", 163, 130, 292, 236);
    m_pListModel = new CommandListModel(this);
    m_listCommands = AddControl(IDC_LIST_COMMANDS, new QTableView(this), 171, 142, 276, 216);
    m_listCommands->setModel(m_pListModel);

    setFixedSize(DialogUnits(font()).Size(462, 373));
    ConnectHandlers();
}

void COrvaneDlg::ConnectHandlers() {
    auto clicked = [this](int id, void (COrvaneDlg::*handler)()) {
        connect(static_cast<QPushButton*>(GetDlgItem(id)), &QPushButton::clicked, this, handler);
    };
    clicked(IDC_BTN_AUTOSTART, &COrvaneDlg::OnAutoStart);
    clicked(IDC_BTN_BROWSE, &COrvaneDlg::OnBrowse);
    clicked(IDC_BTN_OPENPORT, &COrvaneDlg::OnOpenPort);
    clicked(IDC_BTN_PRESET, &COrvaneDlg::OnPreset);
    clicked(IDC_BTN_SAVE, &COrvaneDlg::OnSave);
    clicked(IDC_BTN_SEND, &COrvaneDlg::OnSend);
    clicked(IDC_BTN_SHOT, &COrvaneDlg::OnShot);
    clicked(IDC_BTN_CALL, &COrvaneDlg::OnCall);
    clicked(IDC_BTN_CLEAR, &COrvaneDlg::OnClear);
    clicked(IDC_BTN_MENU, &COrvaneDlg::OnMenu);
    clicked(IDC_BTN_MEMORY, &COrvaneDlg::OnMemory);
    clicked(IDC_BTN_SCAN, &COrvaneDlg::OnScan);
    clicked(IDC_BTN_TOUR, &COrvaneDlg::OnTour);
    clicked(IDC_BTN_STOP, &COrvaneDlg::OnStop);
    clicked(IDC_BTN_DELETE, &COrvaneDlg::OnDelete);
    clicked(IDC_BTN_HOME, &COrvaneDlg::OnHome);
    clicked(IDC_BTN_CLRAUX, &COrvaneDlg::OnClrAux);
    clicked(IDC_BTN_SETAUX, &COrvaneDlg::OnSetAux);
    // Only the operator's choices count, not the selections the dialog makes.
    connect(m_cbPtzAddress, &QComboBox::activated, this, &COrvaneDlg::OnSelchangePtzAddress);
    connect(m_cbPtzModel, &QComboBox::activated, this, &COrvaneDlg::OnSelchangePtzModel);
    connect(m_cbBaudRate, &QComboBox::activated, this, &COrvaneDlg::OnSelchangeBaudRate);
    connect(m_editCtrlRate, &QLineEdit::textEdited, this, &COrvaneDlg::OnChangeCtrlRate);
}

QWidget* COrvaneDlg::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it != m_controls.end() ? it->second : nullptr;
}

void COrvaneDlg::SetDlgItemText(int id, const char* text) {
    if (auto* b = qobject_cast<QPushButton*>(GetDlgItem(id))) {
        b->setText(QString::fromLatin1(text));
    }
}

// ---- start-up and shut-down -----------------------------------------------

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

    const std::array<std::pair<CHoldButton*, int>, 14> codes = {{
        {m_btnLeft, 0},
        {m_btnRight, 1},
        {m_btnUp, 2},
        {m_btnDown, 3},
        {m_btnLU, 4},
        {m_btnRU, 5},
        {m_btnLD, 6},
        {m_btnRD, 7},
        {m_btnTele, 8},
        {m_btnWide, 9},
        {m_btnNear, 10},
        {m_btnFar, 11},
        {m_btnClose, 12},
        {m_btnOpen, 13},
    }};
    for (const auto& [button, code] : codes) {
        button->m_nCode = code;
    }

    InitDialogState();
}

bool COrvaneDlg::Allowed(CreationStep step) const {
    return !m_creationHook || m_creationHook(step);
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

void COrvaneDlg::InitDialogState() {
    m_dwLastCmdTick = 0;
    m_bPortOpen = 0;
    m_bAutoRun = 0;
    g_pLastCmdTick = &m_dwLastCmdTick;

    AppendTitle(kBanner);
    EnableControls(kPortGroup, false);

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
        m_cbPresetId->addItem(QString::number(n));
    }
    m_cbComPort->setCurrentIndex(kDefaultComIndex);
    m_cbBaudRate->setCurrentIndex(kDefaultBaudIndex);
    m_cbDataBit->setCurrentIndex(kDefaultDataBitIndex);
    m_cbStopBit->setCurrentIndex(kDefaultStopBitIndex);
    m_cbParity->setCurrentIndex(kDefaultParityIndex);
    m_cbPtzModel->setCurrentIndex(kDefaultModelIndex);
    m_cbPtzAddress->setCurrentIndex(kDefaultAddressIndex);
    m_cbPresetId->setCurrentIndex(kDefaultPresetIndex);

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

    auto fail = [this](const char* message) {
        m_prompter->Message(message, kWarningCaption, PromptIcon::None);
        DestroyWorkingObjects();
    };

    m_pSerialPort.reset();
    m_pPtz.reset();
    if (Allowed(CreationStep::SerialPort)) {
        m_pSerialPort.reset(new (std::nothrow) CSerialPort());
    }
    if (!m_pSerialPort) {
        fail("Create SerialPort Object Failed!");
        return;
    }

    const int model = m_cbPtzModel->currentIndex();
    m_pPtz = CreatePtzDriver(model, m_cbPtzAddress->currentIndex());
    g_pPtz = m_pPtz.get();
    if (!m_pPtz && (model == kModelPelcoD || model == kModelPelcoP)) {
        fail(model == kModelPelcoD ? "Create Pelco-D Object Failed!"
                                   : "Create Pelco-P Object Failed!");
        return;
    }

    if (Allowed(CreationStep::TempFile)) {
        m_pTempFile.reset(new (std::nothrow) CxIOFile());
    }
    if (!m_pTempFile) {
        fail("Create Temp File Object Failed!");
        return;
    }

    m_nTempBufferSize = kTempBufferSize;
    if (Allowed(CreationStep::TempBuffer)) {
        m_pTempBuffer.reset(new (std::nothrow) uint8_t[m_nTempBufferSize]);
    }
    if (!m_pTempBuffer) {
        fail("Create Temp Buffer Object Failed!");
        return;
    }

    if (Allowed(CreationStep::MemFile)) {
        m_pMemFile.reset(new (std::nothrow) CxMemFile(m_pTempBuffer.get(), m_nTempBufferSize));
    }
    if (!m_pMemFile) {
        fail("Create Temp Memfile Object Failed!");
        return;
    }

    m_bLogRun = 0;
    if (Allowed(CreationStep::Semaphore)) {
        g_hMsgSemaphore = new (std::nothrow) Semaphore(0, 1);
    }
    if (g_hMsgSemaphore != nullptr) {
        m_bLogRun = 1;
        if (!Allowed(CreationStep::LogThread) ||
            !StartThread(m_hLogThread, [this] { LogThreadProc(this); })) {
            m_bLogRun = 0;
        }
    }

    UpdateData(false);
}

void COrvaneDlg::AppendTitle(const char* text) {
    if (text == nullptr) {
        return;
    }
    const QString caption = windowTitle().left(kMaxCaption);
    setWindowTitle(QStringLiteral("%1 %2 %3")
                       .arg(caption, QString::fromLatin1(text), QString::fromLatin1(kBuildDate))
                       .left(kMaxCaption));
}

void COrvaneDlg::DestroyWorkingObjects() {
    m_pMemFile.reset();
    m_pTempBuffer.reset();
    m_pTempFile.reset();
    m_pPtz.reset();
    g_pPtz = nullptr;
    m_pSerialPort.reset();
}

void COrvaneDlg::ReleaseObjects() {
    if (m_hLogThread.joinable()) {
        m_bLogRun = 0;
        m_hLogThread.join();
    }
    JoinAutoThread();
    DestroyWorkingObjects();
    if (g_hMsgSemaphore != nullptr) {
        delete g_hMsgSemaphore;
        g_hMsgSemaphore = nullptr;
    }
}

void COrvaneDlg::LogThreadProc(COrvaneDlg* dlg) {
    // The append is posted, never awaited: the dialog's thread may be the one
    // joining this thread, and a row is only ever added on that thread.
    ::LogThreadProc(dlg->m_bLogRun, *g_hMsgSemaphore, [dlg](const CommandRecord& record) {
        QMetaObject::invokeMethod(
            dlg, [dlg, record] { dlg->AppendCommandItem(record); }, Qt::QueuedConnection);
    });
}

void COrvaneDlg::OnSysCommand(uint32_t id) {
    if ((id & 0xFFF0u) == IDM_ABOUTBOX) {
        m_prompter->About();
    }
}

void COrvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (m_pSysMenu != nullptr) {
        m_pSysMenu->exec(event->globalPos());
    }
}

void COrvaneDlg::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // A focused button takes Enter as its click; a held button's click
        // sends nothing.
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
            if (qobject_cast<CHoldButton*>(focused) == nullptr && focused->isEnabled()) {
                focused->click();
            }
            return;
        }
        OnOK();
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        OnCancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

void COrvaneDlg::OnOK() {
    if (UpdateData(true)) {
        accept();
    }
}

void COrvaneDlg::OnCancel() {
    reject();
}

void COrvaneDlg::done(int result) {
    QDialog::done(result);
    ReleaseObjects();
}

// ---- data exchange and controls -------------------------------------------

bool COrvaneDlg::UpdateData(bool saveAndValidate) {
    return DoDataExchange(saveAndValidate);
}

bool COrvaneDlg::ExchangeUnsigned(QLineEdit* edit, uint32_t& member) {
    const QString text = edit->text().trimmed();
    bool ok = !text.isEmpty();
    uint64_t value = 0;
    for (QChar c : text) {
        if (!ok || c < QLatin1Char('0') || c > QLatin1Char('9')) {
            ok = false;
            break;
        }
        value = value * 10 + static_cast<uint64_t>(c.unicode() - '0');
        ok = value <= std::numeric_limits<uint32_t>::max();
    }
    if (!ok) {
        m_prompter->Message(kBadNumber, "Orvane", PromptIcon::Warning);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    member = static_cast<uint32_t>(value);
    return true;
}

bool COrvaneDlg::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) {
        m_editConfigPath->setText(m_strConfigPath);
        m_editHexCommand->setText(m_strHexCommand);
        m_editCmdInterval->setText(QString::number(m_nCmdInterval));
        m_editCtrlRate->setText(QString::number(m_nCtrlRate));
        return true;
    }
    m_strConfigPath = m_editConfigPath->text();
    m_strHexCommand = m_editHexCommand->text();
    return ExchangeUnsigned(m_editCmdInterval, m_nCmdInterval) &&
           ExchangeUnsigned(m_editCtrlRate, m_nCtrlRate);
}

void COrvaneDlg::EnableControls(uint32_t group, bool enable) {
    if (group != kPortGroup && group != kReplayGroup) {
        return;
    }
    for (int id : kPortGroupIds) {
        if (group == kReplayGroup && id == IDC_BTN_AUTOSTART) {
            continue;
        }
        GetDlgItem(id)->setEnabled(enable);
    }
    if (group == kReplayGroup) {
        for (int id : kReplayOnlyIds) {
            GetDlgItem(id)->setEnabled(enable);
        }
    }
}

// ---- settings panel -------------------------------------------------------

PortSelection COrvaneDlg::CurrentPortSelection() const {
    return PortSelection{m_cbComPort->currentIndex(), m_cbBaudRate->currentIndex(),
                         m_cbParity->currentIndex(), m_cbDataBit->currentIndex(),
                         m_cbStopBit->currentIndex()};
}

void COrvaneDlg::JoinAutoThread() {
    if (m_hAutoThread.joinable()) {
        m_bAutoRun = 0;
        m_hAutoThread.join();
    }
}

// Besides ending the thread, puts the button and the controls back to their
// idle state, so the caption never offers to stop a replay that has ended.
void COrvaneDlg::StopAutoThread() {
    if (!m_hAutoThread.joinable()) {
        return;
    }
    JoinAutoThread();
    SetDlgItemText(IDC_BTN_AUTOSTART, "Auto Start");
    EnableControls(kReplayGroup, true);
}

void COrvaneDlg::RecreatePtzDriver() {
    m_pPtz.reset();
    g_pPtz = nullptr;
    m_pPtz = CreatePtzDriver(m_cbPtzModel->currentIndex(), m_cbPtzAddress->currentIndex());
    g_pPtz = m_pPtz.get();
}

void COrvaneDlg::ReopenPort() {
    m_pSerialPort->CloseComm();
    const std::optional<PortSettings> line = PortSettingsFor(CurrentPortSelection());
    m_bPortOpen = line && m_pSerialPort->OpenComm(&IgnoreReceived, line->portNumber, line->baudRate,
                                                  line->parity, line->dataBits, line->stopBits) != 0
                      ? 1
                      : 0;
    EnableControls(kPortGroup, m_bPortOpen != 0);
    SetDlgItemText(IDC_BTN_OPENPORT, m_bPortOpen ? "Close" : "Open");
}

void COrvaneDlg::OnOpenPort() {
    UpdateData(true);
    g_nCtrlRate = m_nCtrlRate;
    if (!m_pSerialPort) {
        return;
    }
    if (m_bPortOpen) {
        m_pSerialPort->CloseComm();
        m_bPortOpen = 0;
        EnableControls(kPortGroup, false);
        SetDlgItemText(IDC_BTN_OPENPORT, "Open");
        m_prompter->Message("Serial Port Close Success!", kMessageCaption, PromptIcon::Information);
        return;
    }
    // A missing selection is refused like a port that cannot be opened.
    const std::optional<PortSettings> line = PortSettingsFor(CurrentPortSelection());
    if (!line || m_pSerialPort->OpenComm(&IgnoreReceived, line->portNumber, line->baudRate,
                                         line->parity, line->dataBits, line->stopBits) == 0) {
        m_prompter->Message("Serial Port Open Failed!", kMessageCaption, PromptIcon::Information);
        return;
    }
    m_bPortOpen = 1;
    EnableControls(kPortGroup, true);
    SetDlgItemText(IDC_BTN_OPENPORT, "Close");
    m_prompter->Message("Serial Port Open Success!", kMessageCaption, PromptIcon::Information);
}

void COrvaneDlg::OnSelchangePtzAddress() {
    UpdateData(true);
    if (!m_pSerialPort) {
        return;
    }
    g_nCtrlRate = m_nCtrlRate;
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
    g_nCtrlRate = m_nCtrlRate;
    if (!m_bPortOpen) {
        return;
    }
    StopAutoThread();
    ReopenPort();
    RecreatePtzDriver();
    EmptyCommandList();
}

void COrvaneDlg::OnChangeCtrlRate() {
    UpdateData(true);
    g_nCtrlRate = m_nCtrlRate;
}

// ---- command log ----------------------------------------------------------

void COrvaneDlg::AppendCommandItem(CommandRecord record) {
    m_pListModel->AppendRecord(record);
}

void COrvaneDlg::EmptyCommandList() {
    m_pListModel->Clear();
}

void COrvaneDlg::OnLogCommand() {
    AppendCommandItem(g_LastCmd.Load());
}

void COrvaneDlg::OnClear() {
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
    RecordLastCommand(m_pPtz.get());
    AppendCommandItem(g_LastCmd.Load());
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
    const std::array<uint8_t, 4> bytes =
        ManualCommandBytes(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    if (!m_pPtz) {
        return;
    }
    m_pPtz->ManualAction(bytes[0], bytes[1], bytes[2], bytes[3]);
    RecordLastCommand(m_pPtz.get());
    AppendCommandItem(g_LastCmd.Load());
}

// ---- saving, loading and replay -------------------------------------------

void COrvaneDlg::CollectRowRecords(std::vector<CommandRecord>& records) const {
    records.clear();
    const int rows = m_pListModel->Count();
    records.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const CommandRowTexts& texts = m_pListModel->Row(row);
        records.push_back(
            RecordFromRow(texts.message.c_str(), texts.size.c_str(), texts.interval.c_str()));
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
    CommandListHeader header{};
    header.port = PortBlock{0,
                            m_cbComPort->currentIndex(),
                            m_cbBaudRate->currentIndex(),
                            m_cbDataBit->currentIndex(),
                            m_cbStopBit->currentIndex(),
                            m_cbParity->currentIndex()};
    header.ptz = PtzBlock{0, m_cbPtzModel->currentIndex(), m_cbPtzAddress->currentIndex()};
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
    if (!LoadCommandList(*m_pTempFile, ConfigPathForFile(), header, records)) {
        return;
    }
    m_cbComPort->setCurrentIndex(header.port.comIndex);
    m_cbBaudRate->setCurrentIndex(header.port.baudIndex);
    m_cbDataBit->setCurrentIndex(header.port.dataBitIndex);
    m_cbStopBit->setCurrentIndex(header.port.stopBitIndex);
    m_cbParity->setCurrentIndex(header.port.parityIndex);
    m_cbPtzModel->setCurrentIndex(header.ptz.modelIndex);
    m_cbPtzAddress->setCurrentIndex(header.ptz.addressIndex);
    m_cbPresetId->setCurrentIndex(kLoadedPresetIndex);

    EmptyCommandList();
    m_nCtrlRate = header.ctrlRate;
    g_nCtrlRate = m_nCtrlRate;
    m_nCmdInterval = header.cmdInterval;
    m_pListModel->AppendRecords(records);

    StopAutoThread();
    if (m_bPortOpen) {
        ReopenPort();
    }
    RecreatePtzDriver();
    UpdateData(false);
}

void COrvaneDlg::ReplayThread(COrvaneDlg* dlg) {
    RunReplay(dlg->m_pPtz.get(), *dlg->m_pMemFile, dlg->m_bAutoRun,
              dlg->m_replaySleep != nullptr ? dlg->m_replaySleep : &SleepMs);
}

void COrvaneDlg::OnAutoStart() {
    if (m_hAutoThread.joinable()) {
        // Returns once the pass under way has sent its last command.
        StopAutoThread();
        return;
    }
    UpdateData(true);
    if (!m_pMemFile) {
        return;
    }
    CollectRowRecords(m_replayRecords);
    if (!WriteReplayStream(*m_pMemFile, m_nCmdInterval, m_replayRecords)) {
        return;
    }
    m_bAutoRun = 1;
    if (!Allowed(CreationStep::ReplayThread) ||
        !StartThread(m_hAutoThread, [this] { ReplayThread(this); })) {
        return;
    }
    m_dwLastCmdTick = 0;
    SetDlgItemText(IDC_BTN_AUTOSTART, "Auto Stop");
    EnableControls(kReplayGroup, false);
}
