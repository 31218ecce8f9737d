#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "tools/CameraScan.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

// What the scan does to the line, given by the main dialog.
struct ScanLink {
    // Opens the port again at `baud` (a network port is kept as it is);
    // false when it could not.
    std::function<bool(unsigned baud)> reopen;
    std::function<bool(const std::vector<uint8_t>& frame)> send;
    // Puts the port back as the dialog's settings say.
    std::function<void()> restore;
    // Makes a found camera the dialog's address, protocol and baud rate.
    std::function<void(const CameraScan::Found& found)> apply;
    // The one rate a scan may use, when the line is not reopened for each:
    // a network port keeps its settings, so the window never waits on a
    // connect and a raw server's one speed is not scanned three times.
    std::function<std::optional<unsigned>()> fixedBaud;
};

// "Find camera": scans addresses at the chosen rates and protocols in timer
// steps on the dialog's thread, so the window answers throughout; lists the
// cameras that answered and applies one to the dialog.
class CFindCameraDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr unsigned kBauds[] = {1200, 2400, 4800, 9600, 19200};
    static constexpr int kStepMs = 5;

    CFindCameraDlg(ScanLink link, QWidget* parent = nullptr);
    ~CFindCameraDlg() override;

    bool Scanning() const { return m_scan != nullptr; }
    // What came back from the line while scanning.
    void Received(const uint8_t* data, size_t size);
    // Test seam: the addresses scanned (1-255 by default).
    void SetAddressRange(uint8_t first, uint8_t last);
    // Test seam: the scan's millisecond clock; null restores the steady one.
    void SetClock(std::function<uint32_t()> now);

    QPushButton* startButton() const { return m_start; }
    QPushButton* applyButton() const { return m_apply; }
    QProgressBar* progress() const { return m_progress; }
    QTableWidget* results() const { return m_results; }
    QLabel* statusLabel() const { return m_status; }
    std::vector<QCheckBox*> baudBoxes() const { return m_baudBoxes; }
    QCheckBox* pelcoPBox() const { return m_pelcoP; }

public slots:
    void OnStartOrCancel();
    void OnApply();
    void Step();

protected:
    void reject() override;

private:
    void ShowProgress();
    uint32_t Now() const;
    void Finish(bool cancelled);

    ScanLink m_link;
    std::unique_ptr<CameraScan> m_scan;
    bool m_fixedBaud = false;  // this scan keeps the line's rate
    std::vector<CameraScan::Found> m_found;
    uint8_t m_first = 1;
    uint8_t m_last = 255;
    std::vector<QCheckBox*> m_baudBoxes;
    QCheckBox* m_pelcoD;
    QCheckBox* m_pelcoP;
    QPushButton* m_start;
    QPushButton* m_apply;
    QProgressBar* m_progress;
    QTableWidget* m_results;
    QLabel* m_status;
    QTimer* m_timer;
    QElapsedTimer m_clock;
    std::function<uint32_t()> m_now;
};
