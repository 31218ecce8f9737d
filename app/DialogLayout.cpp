// The dialog template: every control at its place in dialog units, the
// handler connections and the enable groups.

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QTimer>
#include <array>

#include "app/ComPortCombo.h"
#include "app/DialogUnits.h"
#include "app/OrvaneDlg.h"
#include "console/CommandListModel.h"
#include "console/ControlIds.h"
#include "console/FunctionButtons.h"
#include "console/HoldButton.h"
#include "console/ManualCommand.h"
#include "console/NumberField.h"
#include "ptz/PtzCodes.h"

namespace {

// A screenful of the long lists (225 addresses and presets).
constexpr int kLongListRows = 20;

// Everything that needs an open port.
constexpr std::array<int, 36> kPortGroupIds = {
    IDC_BTN_FINDCAMERA,   IDC_BTN_BROWSE,      IDC_BTN_SAVE,      IDC_BTN_UP,
    IDC_BTN_DOWN,         IDC_BTN_LEFT,        IDC_BTN_RIGHT,     IDC_BTN_LU,
    IDC_BTN_RU,           IDC_BTN_LD,          IDC_BTN_RD,        IDC_BTN_WIDE,
    IDC_BTN_TELE,         IDC_BTN_FAR,         IDC_BTN_NEAR,      IDC_BTN_OPEN,
    IDC_BTN_CLOSE,        IDC_BTN_PRESET,      IDC_BTN_SHOT,      IDC_BTN_SEND,
    IDC_COMBO_PRESETID,   IDC_EDIT_HEXCOMMAND, IDC_BTN_AUTOSTART, IDC_BTN_CALL,
    IDC_EDIT_CMDINTERVAL, IDC_BTN_CLEAR,       IDC_BTN_STOP,      IDC_BTN_MENU,
    IDC_BTN_SCAN,         IDC_BTN_TOUR,        IDC_BTN_MEMORY,    IDC_EDIT_CTRLRATE,
    IDC_BTN_SETAUX,       IDC_BTN_CLRAUX,      IDC_BTN_HOME,      IDC_BTN_DELETE,
};

// Everything a running replay must not meet, except the buttons that stop
// it: "Auto Stop" and the port's "Close".
constexpr std::array<int, 8> kReplayOnlyIds = {
    IDC_EDIT_CONFIGPATH, IDC_COMBO_COM,    IDC_COMBO_BAUDRATE, IDC_COMBO_DATABIT,
    IDC_COMBO_STOPBIT,   IDC_COMBO_PARITY, IDC_COMBO_PTZMODEL, IDC_COMBO_PTZADDRESS,
};

// The press-and-hold keyboard: direction pad, then the lens pairs.
struct HoldButtonEntry {
    int id;
    int code;
    const char* caption;  // English, as marked for translation
    int x;
    int y;
};
constexpr std::array<HoldButtonEntry, 14> kHoldButtons = {{
    {IDC_BTN_LU, PTZ_LEFT_UP, QT_TRANSLATE_NOOP("COrvaneDlg", "LU"), 171, 20},
    {IDC_BTN_UP, PTZ_UP, QT_TRANSLATE_NOOP("COrvaneDlg", "Up"), 211, 20},
    {IDC_BTN_RU, PTZ_RIGHT_UP, QT_TRANSLATE_NOOP("COrvaneDlg", "RU"), 251, 20},
    {IDC_BTN_LEFT, PTZ_LEFT, QT_TRANSLATE_NOOP("COrvaneDlg", "Left"), 171, 40},
    {IDC_BTN_RIGHT, PTZ_RIGHT, QT_TRANSLATE_NOOP("COrvaneDlg", "Right"), 251, 40},
    {IDC_BTN_LD, PTZ_LEFT_DOWN, QT_TRANSLATE_NOOP("COrvaneDlg", "LD"), 171, 60},
    {IDC_BTN_DOWN, PTZ_DOWN, QT_TRANSLATE_NOOP("COrvaneDlg", "Down"), 211, 60},
    {IDC_BTN_RD, PTZ_RIGHT_DOWN, QT_TRANSLATE_NOOP("COrvaneDlg", "RD"), 251, 60},
    {IDC_BTN_TELE, PTZ_ZOOM_TELE, QT_TRANSLATE_NOOP("COrvaneDlg", "TELE"), 297, 20},
    {IDC_BTN_WIDE, PTZ_ZOOM_WIDE, QT_TRANSLATE_NOOP("COrvaneDlg", "WIDE"), 337, 20},
    {IDC_BTN_NEAR, PTZ_FOCUS_NEAR, QT_TRANSLATE_NOOP("COrvaneDlg", "NEAR"), 297, 40},
    {IDC_BTN_FAR, PTZ_FOCUS_FAR, QT_TRANSLATE_NOOP("COrvaneDlg", "FAR"), 337, 40},
    {IDC_BTN_OPEN, PTZ_IRIS_OPEN, QT_TRANSLATE_NOOP("COrvaneDlg", "OPEN"), 297, 60},
    {IDC_BTN_CLOSE, PTZ_IRIS_CLOSE, QT_TRANSLATE_NOOP("COrvaneDlg", "CLOSE"), 337, 60},
}};

// The function buttons in two rows of six.
constexpr std::array<int, 12> kFunctionOrder = {
    IDC_BTN_PRESET, IDC_BTN_CALL, IDC_BTN_DELETE, IDC_BTN_SETAUX, IDC_BTN_CLRAUX, IDC_BTN_SHOT,
    IDC_BTN_HOME,   IDC_BTN_MENU, IDC_BTN_MEMORY, IDC_BTN_SCAN,   IDC_BTN_TOUR,   IDC_BTN_STOP,
};

}  // namespace

template <typename Widget>
Widget* COrvaneDlg::AddControl(int id, Widget* widget, int x, int y, int width, int height) {
    const DialogUnits dlu(font());
    widget->setGeometry(dlu.Rect(x, y, width, height));
    widget->setProperty("controlId", id);
    m_controls[id] = widget;
    return widget;
}

QLabel* COrvaneDlg::AddStatic(const QString& text, int x, int y, int width, int height) {
    auto* label = new QLabel(text, this);
    label->setGeometry(DialogUnits(font()).Rect(x, y, width, height));
    return label;
}

void COrvaneDlg::AddGroup(const QString& caption, int x, int y, int width, int height) {
    auto* group = new QGroupBox(caption, this);
    group->setGeometry(DialogUnits(font()).Rect(x, y, width, height));
    group->lower();
}

void COrvaneDlg::BuildTemplate() {
    setWindowTitle(QStringLiteral("Orvane"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto button = [this](int id, const QString& caption, int x, int y, int w, int h) {
        auto* b = new QPushButton(caption, this);
        b->setAutoDefault(false);
        return AddControl(id, b, x, y, w, h);
    };
    auto combo = [this](int id, int x, int y, int w) {
        auto* c = new QComboBox(this);
        c->setMaxVisibleItems(12);
        return AddControl(id, c, x, y, w, 14);
    };
    // Some styles (Fusion) open a combo's list as a menu as tall as the
    // screen unless the style sheet asks for the plain list popup.
    auto longCombo = [&combo](int id, int x, int y, int w) {
        QComboBox* c = combo(id, x, y, w);
        c->setMaxVisibleItems(kLongListRows);
        c->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
        return c;
    };
    auto note = [this](int x, int y, int w) {
        auto* label = new QLabel(this);
        label->setGeometry(DialogUnits(font()).Rect(x, y, w, 8));
        return label;
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
    AddGroup(tr("Configure COM"), 7, 7, 150, 118);
    AddStatic(tr("COM"), 15, 22, 46, 8);
    m_cbComPort = AddControl(IDC_COMBO_COM, new CComPortCombo(this, [this] { RefreshComLabels(); }),
                             65, 20, 84, 14);
    AddStatic(tr("BaudRate"), 15, 40, 46, 8);
    m_cbBaudRate = combo(IDC_COMBO_BAUDRATE, 65, 38, 84);
    AddStatic(tr("Data Bit"), 15, 58, 46, 8);
    m_cbDataBit = combo(IDC_COMBO_DATABIT, 65, 56, 84);
    AddStatic(tr("Stop Bit"), 15, 76, 46, 8);
    m_cbStopBit = combo(IDC_COMBO_STOPBIT, 65, 74, 84);
    AddStatic(tr("Parity Bit"), 15, 94, 46, 8);
    m_cbParity = combo(IDC_COMBO_PARITY, 65, 92, 84);
    button(IDC_BTN_PORTS, tr("Ports..."), 15, 108, 50, 14);
    button(IDC_BTN_OPENPORT, tr("Open"), 99, 108, 50, 14);

    AddGroup(tr("RS485 Configure"), 7, 130, 150, 50);
    AddStatic(tr("PTZ Model"), 15, 145, 46, 8);
    m_cbPtzModel = combo(IDC_COMBO_PTZMODEL, 65, 143, 84);
    AddStatic(tr("PTZ Address"), 15, 163, 46, 8);
    m_cbPtzAddress = longCombo(IDC_COMBO_PTZADDRESS, 65, 161, 84);

    AddGroup(tr("Configuation File"), 7, 185, 150, 60);
    m_editConfigPath = edit(IDC_EDIT_CONFIGPATH, 15, 198, 134, false);
    button(IDC_BTN_BROWSE, tr("Browse"), 15, 215, 60, 14);
    button(IDC_BTN_SAVE, tr("Save"), 89, 215, 60, 14);
    m_lblFileStatus = note(15, 233, 134);

    // Below the field, the frame Send would put on the line and the tokens
    // it would read otherwise than they look.
    AddGroup(tr("Command Edit(Hex)"), 7, 250, 150, 70);
    m_editHexCommand = edit(IDC_EDIT_HEXCOMMAND, 15, 263, 134, false);
    m_lblHexFrame = note(15, 279, 134);
    m_lblHexFrame->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblHexMarks = note(15, 289, 134);
    m_lblHexMarks->setStyleSheet(QStringLiteral("color: #C00000;"));
    button(IDC_BTN_SEND, tr("Send"), 89, 301, 60, 14);

    AddGroup(tr("Auto Button"), 7, 325, 150, 75);
    AddStatic(tr("Cmd Interval Time"), 15, 340, 66, 8);
    m_editCmdInterval = edit(IDC_EDIT_CMDINTERVAL, 82, 338, 45, true);
    AddStatic(tr("ms"), 131, 340, 14, 8);
    button(IDC_BTN_AUTOSTART, tr("Auto Start"), 15, 360, 60, 14);
    button(IDC_BTN_CLEAR, tr("Clear"), 89, 360, 60, 14);
    m_fieldCmdInterval = {m_editCmdInterval, &m_nCmdInterval,
                          QT_TRANSLATE_NOOP("COrvaneDlg", "Cmd Interval Time"), false};
    m_labelReplayPass = AddStatic(QString(), 15, 379, 134, 10);

    // Right column: the keyboard, then the command list.
    AddGroup(tr("KeyBoard"), 163, 7, 292, 118);
    for (const HoldButtonEntry& hold : kHoldButtons) {
        AddControl(hold.id, new CHoldButton(tr(hold.caption), this), hold.x, hold.y, 36, 16);
    }

    AddStatic(tr("Ctrl Rate"), 383, 22, 62, 8);
    m_editCtrlRate = edit(IDC_EDIT_CTRLRATE, 383, 32, 62, true);
    m_editCtrlRate->setToolTip(
        tr("Speed of the direction buttons: 0-63 with Pelco-D, 0-64 with Pelco-P.\n"
           "A larger value goes out as the protocol's top speed."));
    m_fieldCtrlRate = {m_editCtrlRate, &m_nCtrlRate, QT_TRANSLATE_NOOP("COrvaneDlg", "Ctrl Rate"),
                       false};
    AddStatic(tr("Preset ID"), 383, 50, 62, 8);
    m_cbPresetId = longCombo(IDC_COMBO_PRESETID, 383, 60, 62);

    for (size_t i = 0; i < kFunctionOrder.size(); ++i) {
        const FunctionButton* f = FindFunctionButton(kFunctionOrder[i]);
        button(f->id, tr(f->caption), 171 + 46 * static_cast<int>(i % 6), i < 6 ? 84 : 102, 42, 14);
    }

    AddGroup(tr("Command List"), 163, 130, 292, 270);
    m_pListModel = new CommandListModel(this);
    m_listCommands = AddControl(IDC_LIST_COMMANDS, new QTableView(this), 171, 142, 276, 232);
    m_listCommands->setModel(m_pListModel);
    // Under the list of what was sent: the whole line, and the camera search.
    button(IDC_BTN_MONITOR, tr("Line Monitor..."), 171, 378, 70, 14);
    button(IDC_BTN_FINDCAMERA, tr("Find Camera..."), 245, 378, 70, 14);

    setFixedSize(DialogUnits(font()).Size(462, 407));
    ConnectHandlers();
}

void COrvaneDlg::ConnectHandlers() {
    auto clicked = [this](int id, void (COrvaneDlg::*handler)()) {
        connect(static_cast<QPushButton*>(GetDlgItem(id)), &QPushButton::clicked, this, handler);
    };
    clicked(IDC_BTN_AUTOSTART, &COrvaneDlg::OnAutoStart);
    clicked(IDC_BTN_BROWSE, &COrvaneDlg::OnBrowse);
    clicked(IDC_BTN_OPENPORT, &COrvaneDlg::OnOpenPort);
    clicked(IDC_BTN_PORTS, &COrvaneDlg::OnPorts);
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
    clicked(IDC_BTN_MONITOR, &COrvaneDlg::OnLineMonitor);
    clicked(IDC_BTN_FINDCAMERA, &COrvaneDlg::OnFindCamera);
    // Only the operator's choices count, not the selections the dialog makes.
    connect(m_cbPtzAddress, &QComboBox::activated, this, &COrvaneDlg::OnSelchangePtzAddress);
    connect(m_cbPtzModel, &QComboBox::activated, this, &COrvaneDlg::OnSelchangePtzModel);
    connect(m_cbBaudRate, &QComboBox::activated, this, &COrvaneDlg::OnSelchangeBaudRate);
    connect(m_editCtrlRate, &QLineEdit::textEdited, this, &COrvaneDlg::OnChangeCtrlRate);
    connect(m_editHexCommand, &QLineEdit::returnPressed, this, &COrvaneDlg::OnSend);
    connect(m_editHexCommand, &QLineEdit::textChanged, this, &COrvaneDlg::UpdateHexPreview);
    for (QLineEdit* e : {m_editCmdInterval, m_editCtrlRate}) {
        connect(e, &QLineEdit::textEdited, this, [this, e] { Numeric(e).reported = false; });
        connect(e, &QLineEdit::returnPressed, this, [this, e] { CommitNumericField(e); });
        connect(e, &QLineEdit::editingFinished, this, [this, e] { OnLeaveNumericField(e); });
    }
}

// The codes are given at initialisation: until then a press sends nothing.
void COrvaneDlg::AssignHoldButtonCodes() {
    for (const HoldButtonEntry& hold : kHoldButtons) {
        static_cast<CHoldButton*>(GetDlgItem(hold.id))->m_nCode = hold.code;
    }
}

QWidget* COrvaneDlg::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it != m_controls.end() ? it->second : nullptr;
}

void COrvaneDlg::SetDlgItemText(int id, const QString& text) {
    if (auto* b = qobject_cast<QPushButton*>(GetDlgItem(id))) {
        b->setText(text);
    }
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
