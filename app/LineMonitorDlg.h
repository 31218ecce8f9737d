#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/LineCapture.h"
#include "tools/LineTrace.h"

class IPrompter;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

// The trace's lines that pass the direction filter, as rows of four texts.
class LineMonitorModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Direction, Bytes, Meaning, ColumnCount };
    enum class Filter { All, Sent, Received };

    explicit LineMonitorModel(const LineTrace& trace, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_trace(trace) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetFilter(Filter filter);
    // Takes the trace as it is now.
    void Refresh();
    QString Text(int row, int column) const;
    const LineEntry& Entry(int row) const { return m_trace.at(m_rows[static_cast<size_t>(row)]); }

private:
    const LineTrace& m_trace;
    Filter m_filter = Filter::All;
    std::vector<size_t> m_rows;  // indexes into the trace
};

// What the monitor's position controls act on, given by the main dialog.
struct PositionLink {
    // Empty when the controls may be used; otherwise why not.
    std::function<QString()> unavailable;
    // The address whose replies fill the position fields.
    std::function<uint8_t()> address;
    // Sends a Pelco-D extended command with its 16-bit value.
    std::function<void(uint8_t opcode, uint16_t value)> send;
};

// The line monitor: every frame sent and every run of bytes received, decoded,
// one line each; pause, clear, filter, copy and save; and the camera's
// position asked and set. Non-modal; the main dialog feeds it batches.
class CLineMonitorDlg : public QDialog {
    Q_OBJECT

public:
    // A received partial frame is settled after the line is this quiet.
    static constexpr uint32_t kQuietMs = 200;
    static constexpr int kRefreshMs = 100;
    // The longest wait for a reply before the next query goes anyway: a
    // query and its reply at 2400 baud, plus the scan's margin for a USB
    // adapter's latency.
    static constexpr int kQuerySpacingMs = 130;

    CLineMonitorDlg(IPrompter& prompter, PositionLink link, QWidget* parent = nullptr);

    // Decodes a batch; shown at the next refresh.
    void Append(const std::vector<LineCapture::Chunk>& chunks, uint64_t dropped);
    const LineTrace& Trace() const { return m_trace; }
    const LineMonitorModel& Model() const { return *m_model; }

    // Lines as saved: tab-separated text, or CSV with a header.
    std::string Export(bool csv) const;

    QPushButton* pauseButton() const { return m_pause; }
    QPushButton* queryButton() const { return m_query; }
    QPushButton* setPanButton() const { return m_setPan; }
    QComboBox* filterCombo() const { return m_filter; }
    QLabel* positionLabel() const { return m_position; }
    QLabel* reasonLabel() const { return m_reason; }
    QDoubleSpinBox* panField() const { return m_panField; }
    // Test seam: the longest wait for a reply to a position query.
    void SetQuerySpacing(int ms);

public slots:
    void OnClear();
    void OnCopy();
    void OnSave();
    void OnQueryPosition();
    void Refresh();

private:
    void TakeReply(const LineEntry& entry);
    void SendQuery(uint8_t query);
    void NextQuery();
    void ShowPosition();

    IPrompter& m_prompter;
    PositionLink m_link;
    LineTrace m_trace;
    LineMonitorModel* m_model;
    QTableView* m_view;
    QPushButton* m_pause;
    QComboBox* m_filter;
    QLabel* m_status;
    QPushButton* m_query;
    QPushButton* m_setPan;
    QPushButton* m_setTilt;
    QPushButton* m_setZoom;
    QDoubleSpinBox* m_panField;
    QDoubleSpinBox* m_tiltField;
    QSpinBox* m_zoomField;
    QLabel* m_position;
    QLabel* m_reason;
    QTimer* m_refresh;
    QTimer* m_queryWait;
    std::vector<uint8_t> m_queries;  // still to send
    uint8_t m_awaiting = 0;          // the reply the last query asked for
    bool m_dirty = false;
    uint64_t m_shownTotal = 0;
    uint64_t m_droppedBytes = 0;
    uint64_t m_pausedBytes = 0;
    uint32_t m_lastReceivedMs = 0;
    QElapsedTimer m_sinceReceived;
    uint32_t m_lastMs = 0;
    QString m_pan = QStringLiteral("-");
    QString m_tilt = QStringLiteral("-");
    QString m_zoom = QStringLiteral("-");
};
