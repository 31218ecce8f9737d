#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/PortDiscovery.h"
#include "app/Prompter.h"
#include "commandlist/CommandRecord.h"
#include "commandlist/Replay.h"
#include "commandlist/SelectionTables.h"

class CComPortCombo;
class CFindCameraDlg;
class CLineMonitorDlg;
class LineCapture;
class CommandListModel;
class CPortsDlg;
class CSerialPort;
class CxIOFile;
class CxMemFile;
class PtzBase;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class DialogProbe;
class ReplayRunner;

// The working objects made at start-up, in the order they are made. A hook
// can make any of them fail, so every failure path can be exercised.
enum class CreationStep {
    SerialPort,
    PelcoD,
    PelcoP,
    TempFile,
    TempBuffer,
    MemFile,
    Semaphore,
    LogThread,
    ReplayThread,
};
// Returns false to make the step fail.
using CreationHook = std::function<bool(CreationStep)>;

// The main dialog: owns the serial port, the current driver, the streams and
// the buffer used for saving, loading and replay, the log thread and the
// replay thread. Every handler runs on the dialog's thread. The class is
// implemented across files by concern: OrvaneDlg.cpp (life cycle),
// DialogLayout.cpp, SettingsPanel.cpp, CommandPanel.cpp, ListFile.cpp,
// ReplayPanel.cpp.
class COrvaneDlg : public QDialog {
    Q_OBJECT

public:
    // The replay buffer made at start-up; a longer list gets a larger one.
    static constexpr uint32_t kTempBufferSize = 0x200000;
    // Keys of EnableControls.
    static constexpr uint32_t kPortGroup = 1025;
    static constexpr uint32_t kReplayGroup = 1028;

    // Without a prompter the dialog shows its prompts as Qt dialogs.
    explicit COrvaneDlg(QWidget* parent = nullptr, IPrompter* prompter = nullptr);
    ~COrvaneDlg() override;
    COrvaneDlg(const COrvaneDlg&) = delete;
    COrvaneDlg& operator=(const COrvaneDlg&) = delete;

    // Test seam: makes a creation step fail. Set before Create or DoModal.
    void SetCreationHook(CreationHook hook) { m_creationHook = std::move(hook); }
    // Test seam: the replay's clock, which must outlive the dialog; null restores the
    // steady clock. Ends a replay that runs.
    void SetReplayClock(ReplayClock* clock);
    // Test seam: where the serial devices are listed from (not owned); null: the system.
    void SetPortDiscovery(IPortDiscovery* discovery) { m_pDiscovery = discovery; }

    // Initialises the dialog once and shows it without blocking.
    void Create();
    // Initialises the dialog and runs it until it is closed.
    int DoModal();

    // true: fields to members (a numeric field that is not an unsigned 32-bit
    // number is reported, naming the field, and its member kept; false is
    // returned); false: members to fields.
    bool UpdateData(bool saveAndValidate = true);
    void EnableControls(uint32_t group, bool enable);
    QWidget* GetDlgItem(int id) const;
    QMenu* GetSystemMenu() const { return m_pSysMenu; }
    const CommandListModel& CommandList() const { return *m_pListModel; }

    void AppendCommandItem(CommandRecord record);
    void EmptyCommandList();

public slots:
    void OnSysCommand(uint32_t id);
    void OnOpenPort();
    void OnPorts();
    void OnSelchangePtzAddress();
    void OnSelchangePtzModel();
    void OnSelchangeBaudRate();
    void OnChangeCtrlRate();
    void OnLogCommand();
    void OnClear();
    void OnPreset();
    void OnCall();
    void OnDelete();
    void OnSetAux();
    void OnClrAux();
    void OnHome();
    void OnMenu();
    void OnMemory();
    void OnScan();
    void OnTour();
    void OnStop();
    void OnShot();
    void OnSend();
    void OnSave();
    void OnBrowse();
    void OnAutoStart();
    void OnLineMonitor();
    void OnFindCamera();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void done(int result) override;

private:
    friend class DialogProbe;  // test seam: the working objects and threads

    // Layout (DialogLayout.cpp).
    void BuildTemplate();
    template <typename Widget>
    Widget* AddControl(int id, Widget* widget, int x, int y, int width, int height);
    QLabel* AddStatic(const QString& text, int x, int y, int width, int height);
    void AddGroup(const QString& caption, int x, int y, int width, int height);
    void ConnectHandlers();
    void AssignHoldButtonCodes();
    void SetDlgItemText(int id, const QString& text);
    bool DoDataExchange(bool saveAndValidate);
    struct NumericField {
        QLineEdit* edit;
        uint32_t* member;
        const char* name;  // English, as marked for translation
        bool reported;     // since its last edit
    };
    NumericField& Numeric(QLineEdit* edit);
    bool ExchangeUnsigned(NumericField& field);
    // Enter in a numeric field, and leaving it: the field alone to its member.
    void CommitNumericField(QLineEdit* edit);
    void OnLeaveNumericField(QLineEdit* edit);
    void UpdateHexPreview();

    // Life cycle (OrvaneDlg.cpp).
    void OnInitDialog();
    void InitDialogState();
    bool CreateWorkingObjects();
    // Appends the translation of `text` and the build date.
    void AppendTitle(const char* text);
    void ReleaseObjects();
    void DestroyWorkingObjects();
    bool Allowed(CreationStep step) const;
    static void LogThreadProc(COrvaneDlg* dlg);

    // Settings panel (SettingsPanel.cpp).
    void FillSelectionLists();
    PanelSelection ReadSelections() const;
    void ApplySelections(const PanelSelection& selection);
    // Publishes the field's rate to the hold buttons.
    void PublishCtrlRate();
    std::unique_ptr<PtzBase> CreatePtzDriver(int model, int address);
    // The current driver's protocol and address on the same port; null without one.
    std::unique_ptr<PtzBase> CreateReplayDriver() const;
    // Makes `driver` current and publishes it to the hold buttons.
    void SetDriver(std::unique_ptr<PtzBase> driver);
    void RecreatePtzDriver();
    // Closes the port and opens it with the current selections, no message.
    void ReopenPort();
    // Opens the port with the current selections; false when refused.
    bool OpenSelectedPort();
    // A port that leads to a serial device server is opened on a thread of
    // its own, so the window never waits on the network; true when started.
    // FinishNetworkOpen takes the outcome back on the dialog's thread.
    bool StartNetworkOpen(bool quiet);
    void FinishNetworkOpen(bool opened, bool quiet, PortSettings line);
    void JoinNetworkOpen();
    // The port's state after an open, with the Open/Close button and the
    // port group to match; a refusal is explained unless `quiet`.
    void ShowOpenOutcome(bool opened, bool quiet);
    // Posted by the port's thread when the device went away under it.
    void OnLineLost();
    IPortDiscovery& Discovery();
    // Each COM entry says where it leads now.
    void RefreshComLabels();

    // Line monitor and camera scan (LinePanel.cpp).
    // Takes the batch the port's tap collected, on the dialog's thread.
    void DrainLine();
    // The tap is on the port only while the monitor shows or a scan runs.
    void UpdateLineTap();
    // Empty when the position controls may be used; otherwise why not.
    QString PositionUnavailable() const;
    void SendPositionCommand(uint8_t opcode, uint16_t value);
    bool ReopenAtBaud(unsigned baud);
    // A network port is scanned at its settings, without reopening it.
    bool ScanAtFixedBaud();
    // Ends a scan (the port back at its baud rate) and closes both windows.
    void CloseLineWindows();

    // Command panel (CommandPanel.cpp).
    void StyleCommandList();
    void RunFunctionButton(int id);

    // Appends, before anything else is listed, the rows the hold buttons
    // handed to the log thread that have not reached the list yet, so the
    // list keeps the order the frames went out in.
    void TakeLoggedRows();

    // List file (ListFile.cpp).
    void CollectRowRecords(std::vector<CommandRecord>& records) const;
    // Rows listed since the last save or load, which closing would lose.
    bool HasUnsavedRows();
    // True when there are no unsaved rows or the operator agrees to lose them.
    // `question` is English, marked for translation.
    bool MayDropUnsavedRows(const char* question, const std::string& caption);
    void ShowFileStatus(const QString& what, const QString& path);

    // Replay and where the list view looks (ReplayPanel.cpp).
    // Ends a replay at once (the pause under way is cut short) and puts the
    // button and the controls back.
    void StopAutoThread();
    // The replay's buffer holds `records`, made larger when they do not fit.
    bool FitReplayBuffer(size_t records);
    bool ReadCmdInterval();
    void ShowReplayPosition();
    void OnReplayFinished();
    void EndReplayDisplay();
    void FollowNewRows();

    std::unique_ptr<CSerialPort> m_pSerialPort;
    std::unique_ptr<PtzBase> m_pPtz;
    std::unique_ptr<CxIOFile> m_pTempFile;
    std::unique_ptr<CxMemFile> m_pMemFile;
    std::unique_ptr<uint8_t[]> m_pTempBuffer;
    uint32_t m_nTempBufferSize = 0;
    uint32_t m_dwLastCmdTick = 0;
    int m_bPortOpen = 0;
    // Non-zero while a replay shows: the button offers to stop and the replay
    // group is locked; kReplayStopping once asked to stop after its pass.
    int m_bAutoRun = 0;
    static constexpr int kReplayStopping = 2;
    std::atomic<int> m_bLogRun{0};
    // The replay thread's own driver, made at each start from the current one,
    // so no driver is ever used by two threads.
    std::unique_ptr<PtzBase> m_pReplayPtz;
    std::unique_ptr<ReplayRunner> m_replay;  // ends before the drivers and streams go
    std::atomic<bool> m_replayShowPosted{false};
    bool m_listAtBottom = true;  // before the rows being inserted
    std::thread m_hLogThread;
    // Connecting to a serial device server; the port is not touched here
    // until it has been joined.
    std::thread m_hOpenThread;

    QTableView* m_listCommands = nullptr;
    QLabel* m_labelReplayPass = nullptr;
    QComboBox* m_cbPresetId = nullptr;
    QComboBox* m_cbPtzAddress = nullptr;
    QComboBox* m_cbPtzModel = nullptr;
    QComboBox* m_cbStopBit = nullptr;
    QComboBox* m_cbParity = nullptr;
    QComboBox* m_cbDataBit = nullptr;
    QComboBox* m_cbBaudRate = nullptr;
    CComPortCombo* m_cbComPort = nullptr;
    QString m_strConfigPath;
    QString m_strHexCommand;
    uint32_t m_nCmdInterval;
    uint32_t m_nCtrlRate;
    QIcon m_hIcon;

    std::map<int, QWidget*> m_controls;
    QLineEdit* m_editConfigPath = nullptr;
    QLineEdit* m_editHexCommand = nullptr;
    QLineEdit* m_editCmdInterval = nullptr;
    QLineEdit* m_editCtrlRate = nullptr;
    QLabel* m_lblFileStatus = nullptr;
    QLabel* m_lblHexFrame = nullptr;
    QLabel* m_lblHexMarks = nullptr;
    NumericField m_fieldCmdInterval{};
    NumericField m_fieldCtrlRate{};
    CommandListModel* m_pListModel = nullptr;
    QMenu* m_pSysMenu = nullptr;
    std::unique_ptr<IPrompter> m_ownPrompter;
    std::unique_ptr<IPrompter> m_holdEndingPrompter;
    IPrompter* m_prompter;  // ends a hold under way, then prompts
    CreationHook m_creationHook;
    std::unique_ptr<IPortDiscovery> m_ownDiscovery;
    IPortDiscovery* m_pDiscovery = nullptr;
    CPortsDlg* m_pPortsDlg = nullptr;
    std::unique_ptr<LineCapture> m_lineCapture;
    CLineMonitorDlg* m_pMonitorDlg = nullptr;
    CFindCameraDlg* m_pFindDlg = nullptr;
    std::vector<CommandRecord> m_replayRecords;  // kept to reuse its storage
    bool m_initialised = false;
};
