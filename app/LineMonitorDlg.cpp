// The line monitor window: the decoded trace of the line and the camera's
// position.

#include "app/LineMonitorDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <fstream>

#include "app/Prompter.h"
#include "tools/FrameText.h"

namespace {

// The words of a frame's meaning, translated where they are shown.
[[maybe_unused]] constexpr const char* kFrameWords[] = {
    QT_TRANSLATE_NOOP("FrameText", "pan left"),
    QT_TRANSLATE_NOOP("FrameText", "pan right"),
    QT_TRANSLATE_NOOP("FrameText", "tilt up"),
    QT_TRANSLATE_NOOP("FrameText", "tilt down"),
    QT_TRANSLATE_NOOP("FrameText", "zoom tele"),
    QT_TRANSLATE_NOOP("FrameText", "zoom wide"),
    QT_TRANSLATE_NOOP("FrameText", "focus near"),
    QT_TRANSLATE_NOOP("FrameText", "focus far"),
    QT_TRANSLATE_NOOP("FrameText", "iris open"),
    QT_TRANSLATE_NOOP("FrameText", "iris close"),
    QT_TRANSLATE_NOOP("FrameText", "auto scan on"),
    QT_TRANSLATE_NOOP("FrameText", "auto scan off"),
    QT_TRANSLATE_NOOP("FrameText", "camera on"),
    QT_TRANSLATE_NOOP("FrameText", "camera off"),
    QT_TRANSLATE_NOOP("FrameText", "stop"),
    QT_TRANSLATE_NOOP("FrameText", "set preset"),
    QT_TRANSLATE_NOOP("FrameText", "clear preset"),
    QT_TRANSLATE_NOOP("FrameText", "go to preset"),
    QT_TRANSLATE_NOOP("FrameText", "set aux"),
    QT_TRANSLATE_NOOP("FrameText", "clear aux"),
    QT_TRANSLATE_NOOP("FrameText", "extended"),
    QT_TRANSLATE_NOOP("FrameText", "data"),
    QT_TRANSLATE_NOOP("FrameText", "speed"),
    QT_TRANSLATE_NOOP("FrameText", "turbo"),
    QT_TRANSLATE_NOOP("FrameText", "switch on"),
    QT_TRANSLATE_NOOP("FrameText", "switch off"),
    QT_TRANSLATE_NOOP("FrameText", "query pan"),
    QT_TRANSLATE_NOOP("FrameText", "query tilt"),
    QT_TRANSLATE_NOOP("FrameText", "query zoom"),
    QT_TRANSLATE_NOOP("FrameText", "set pan"),
    QT_TRANSLATE_NOOP("FrameText", "set tilt"),
    QT_TRANSLATE_NOOP("FrameText", "set zoom"),
    QT_TRANSLATE_NOOP("FrameText", "pan position"),
    QT_TRANSLATE_NOOP("FrameText", "tilt position"),
    QT_TRANSLATE_NOOP("FrameText", "zoom position"),
    QT_TRANSLATE_NOOP("FrameText", "switch"),
};

std::string TranslateWord(const char* english) {
    return QCoreApplication::translate("FrameText", english).toStdString();
}

QString Hex2(unsigned value) {
    return QString::asprintf("%02x", value & 0xFFu);
}

QString BytesText(const DomeEvent& e) {
    if (e.kind == DomeEvent::Kind::Frame) {
        return QString::fromStdString(HexBytes(e.frame.bytes));
    }
    QString text = QString::fromStdString(HexBytes(e.sample));
    if (e.skipped > e.sample.size()) {
        text += QStringLiteral(" ...");
    }
    return text;
}

QString MeaningText(const DomeEvent& e) {
    if (e.kind == DomeEvent::Kind::Garbage) {
        return LineMonitorModel::tr("%n byte(s) that frame nothing", nullptr,
                                    static_cast<int>(e.skipped));
    }
    const DomeFrame& f = e.frame;
    const QString check =
        f.checkOk() ? LineMonitorModel::tr("check OK")
                    : LineMonitorModel::tr("check WRONG (should be %1)").arg(Hex2(f.expected));
    const QString protocol = f.protocol == DomeProtocol::Switch
                                 ? QCoreApplication::translate("FrameText", "switch")
                                 : QString::fromLatin1(ProtocolName(f.protocol));
    return LineMonitorModel::tr("%1 address %2: %3; %4")
        .arg(protocol)
        .arg(f.address)
        .arg(QString::fromStdString(CommandText(f.command, true, &TranslateWord)))
        .arg(check);
}

QString CsvField(QString text) {
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

}  // namespace

// ---- model ------------------------------------------------------------------

int LineMonitorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LineMonitorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LineMonitorModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    return Text(index.row(), index.column());
}

QVariant LineMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return {};
    }
    switch (section) {
        case Time:
            return tr("ms");
        case Direction:
            return tr("Direction");
        case Bytes:
            return tr("Bytes");
        case Meaning:
            return tr("Meaning");
        default:
            return {};
    }
}

QString LineMonitorModel::Text(int row, int column) const {
    const LineEntry& e = Entry(row);
    switch (column) {
        case Time:
            return QString::number(e.ms);
        case Direction:
            return e.direction == LineDirection::Sent ? tr("sent") : tr("received");
        case Bytes:
            return BytesText(e.event);
        case Meaning:
            return MeaningText(e.event);
        default:
            return {};
    }
}

void LineMonitorModel::SetFilter(Filter filter) {
    m_filter = filter;
    Refresh();
}

void LineMonitorModel::Refresh() {
    beginResetModel();
    m_rows.clear();
    for (size_t i = 0; i < m_trace.size(); ++i) {
        const LineDirection d = m_trace.at(i).direction;
        if (m_filter == Filter::All || (m_filter == Filter::Sent) == (d == LineDirection::Sent)) {
            m_rows.push_back(i);
        }
    }
    endResetModel();
}

// ---- window -------------------------------------------------------------------

CLineMonitorDlg::CLineMonitorDlg(IPrompter& prompter, PositionLink link, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_link(std::move(link)) {
    setWindowTitle(tr("Line Monitor"));
    setWindowFlags(Qt::Window);
    m_model = new LineMonitorModel(m_trace, this);

    auto* tools = new QHBoxLayout;
    m_pause = new QPushButton(tr("Pause"), this);
    m_pause->setCheckable(true);
    auto* clear = new QPushButton(tr("Clear"), this);
    m_filter = new QComboBox(this);
    m_filter->addItems({tr("Sent and received"), tr("Sent only"), tr("Received only")});
    auto* copy = new QPushButton(tr("Copy"), this);
    auto* save = new QPushButton(tr("Save..."), this);
    m_status = new QLabel(this);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pause, clear, m_filter, copy, save}) {
        tools->addWidget(w);
    }
    tools->addWidget(m_status, 1);

    m_view = new QTableView(this);
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    // Fixed row heights keep a reset of thousands of rows cheap.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_view->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {70, 70, 190};
    for (int c = 0; c < 3; ++c) {
        m_view->horizontalHeader()->resizeSection(c, widths[c]);
    }

    auto* group = new QGroupBox(tr("Position (Pelco-D)"), this);
    auto* grid = new QHBoxLayout(group);
    m_query = new QPushButton(tr("Query position"), group);
    m_position = new QLabel(group);
    m_panField = new QDoubleSpinBox(group);
    m_panField->setRange(0, 359.99);
    m_panField->setDecimals(2);
    m_panField->setSuffix(QStringLiteral("\u00b0"));
    m_tiltField = new QDoubleSpinBox(group);
    m_tiltField->setRange(-90, 90);
    m_tiltField->setDecimals(2);
    m_tiltField->setSuffix(QStringLiteral("\u00b0"));
    m_zoomField = new QSpinBox(group);
    m_zoomField->setRange(0, kZoomValueMax);
    m_setPan = new QPushButton(tr("Set pan"), group);
    m_setTilt = new QPushButton(tr("Set tilt"), group);
    m_setZoom = new QPushButton(tr("Set zoom"), group);
    grid->addWidget(m_query);
    grid->addWidget(m_position, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{m_panField, m_setPan, m_tiltField, m_setTilt,
                                                      m_zoomField, m_setZoom}) {
        grid->addWidget(w);
    }
    m_reason = new QLabel(this);
    m_reason->setStyleSheet(QStringLiteral("color: #C00000;"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_view, 1);
    layout->addWidget(group);
    layout->addWidget(m_reason);
    resize(900, 520);

    connect(clear, &QPushButton::clicked, this, &CLineMonitorDlg::OnClear);
    connect(copy, &QPushButton::clicked, this, &CLineMonitorDlg::OnCopy);
    connect(save, &QPushButton::clicked, this, &CLineMonitorDlg::OnSave);
    connect(m_query, &QPushButton::clicked, this, &CLineMonitorDlg::OnQueryPosition);
    connect(m_filter, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_model->SetFilter(static_cast<LineMonitorModel::Filter>(index));
        m_view->scrollToBottom();
    });
    connect(m_setPan, &QPushButton::clicked, this,
            [this] { m_link.send(kSetPan, PanValue(m_panField->value())); });
    connect(m_setTilt, &QPushButton::clicked, this,
            [this] { m_link.send(kSetTilt, TiltValue(m_tiltField->value())); });
    connect(m_setZoom, &QPushButton::clicked, this,
            [this] { m_link.send(kSetZoom, static_cast<uint16_t>(m_zoomField->value())); });

    m_queryWait = new QTimer(this);
    m_queryWait->setSingleShot(true);
    m_queryWait->setInterval(kQuerySpacingMs);
    connect(m_queryWait, &QTimer::timeout, this, &CLineMonitorDlg::NextQuery);
    m_refresh = new QTimer(this);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &CLineMonitorDlg::Refresh);
    m_refresh->start();
    m_sinceReceived.start();
    ShowPosition();
    Refresh();
}

void CLineMonitorDlg::Append(const std::vector<LineCapture::Chunk>& chunks, uint64_t dropped) {
    m_droppedBytes += dropped;
    for (const LineCapture::Chunk& c : chunks) {
        if (m_pause->isChecked()) {
            m_pausedBytes += c.bytes.size();
            continue;
        }
        const uint64_t before = m_trace.total();
        m_trace.Add(c.direction, c.ms, c.bytes.data(), c.bytes.size());
        if (c.direction == LineDirection::Received) {
            m_lastReceivedMs = c.ms;
            m_sinceReceived.restart();
        }
        // The lines this chunk made are the newest ones.
        const uint64_t made = std::min<uint64_t>(m_trace.total() - before, m_trace.size());
        for (size_t i = m_trace.size() - static_cast<size_t>(made); i < m_trace.size(); ++i) {
            TakeReply(m_trace.at(i));
        }
        m_dirty = true;
    }
}

void CLineMonitorDlg::TakeReply(const LineEntry& entry) {
    const DomeEvent& e = entry.event;
    if (entry.direction != LineDirection::Received || e.kind != DomeEvent::Kind::Frame ||
        !e.frame.checkOk() || e.frame.protocol != DomeProtocol::PelcoD ||
        e.frame.command.kind != DomeCommand::Kind::Extended ||
        (m_link.address && e.frame.address != m_link.address())) {
        return;
    }
    const uint16_t v = e.frame.command.value();
    switch (e.frame.command.opcode) {
        case kPanReply:
            m_pan = QString::asprintf("%.2f\u00b0", PanDegrees(v));
            break;
        case kTiltReply:
            m_tilt = QString::asprintf("%.2f\u00b0", TiltDegrees(v));
            break;
        case kZoomReply:
            m_zoom = QString::asprintf("%u (%.0f%%)", v, v * 100.0 / kZoomValueMax);
            break;
        default:
            return;
    }
    ShowPosition();
    if (e.frame.command.opcode == m_awaiting) {
        NextQuery();
    }
}

void CLineMonitorDlg::ShowPosition() {
    m_position->setText(tr("Pan %1  Tilt %2  Zoom %3").arg(m_pan, m_tilt, m_zoom));
}

void CLineMonitorDlg::Refresh() {
    if (m_trace.ReceivedPending() && m_sinceReceived.elapsed() >= kQuietMs) {
        m_trace.FlushReceived(m_lastReceivedMs);
        m_dirty = true;
    }
    const QString why = m_link.unavailable ? m_link.unavailable() : QString();
    for (QWidget* w : std::initializer_list<QWidget*>{m_query, m_setPan, m_setTilt, m_setZoom,
                                                      m_panField, m_tiltField, m_zoomField}) {
        w->setEnabled(why.isEmpty());
    }
    m_reason->setText(why);
    QString status = tr("%n line(s)", nullptr, static_cast<int>(m_trace.size()));
    if (m_pausedBytes > 0) {
        status += QStringLiteral("; ") + tr("%1 bytes not shown while paused").arg(m_pausedBytes);
    }
    if (m_droppedBytes > 0) {
        status +=
            QStringLiteral("; ") + tr("%1 bytes lost: the window fell behind").arg(m_droppedBytes);
    }
    m_status->setText(status);
    if (!m_dirty) {
        return;
    }
    m_dirty = false;
    QScrollBar* bar = m_view->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    const int at = bar->value();
    m_model->Refresh();
    // Follows new lines unless the operator scrolled away to read.
    if (atBottom) {
        m_view->scrollToBottom();
    } else {
        bar->setValue(at);
    }
}

void CLineMonitorDlg::OnClear() {
    m_trace.Clear();
    m_pausedBytes = 0;
    m_droppedBytes = 0;
    m_dirty = true;
    Refresh();
}

std::string CLineMonitorDlg::Export(bool csv) const {
    QString out;
    if (csv) {
        out = QStringLiteral("ms,direction,bytes,meaning\n");
    }
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    std::vector<int> rows;
    for (const QModelIndex& i : selected) {
        rows.push_back(i.row());
    }
    if (rows.empty()) {
        for (int r = 0; r < m_model->rowCount(); ++r) {
            rows.push_back(r);
        }
    }
    std::sort(rows.begin(), rows.end());
    for (int r : rows) {
        QStringList fields;
        for (int c = 0; c < LineMonitorModel::ColumnCount; ++c) {
            fields << (csv ? CsvField(m_model->Text(r, c)) : m_model->Text(r, c));
        }
        out += fields.join(csv ? QLatin1Char(',') : QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out.toStdString();
}

void CLineMonitorDlg::OnCopy() {
    QApplication::clipboard()->setText(QString::fromStdString(Export(false)));
}

void CLineMonitorDlg::OnSave() {
    const std::optional<std::string> path =
        m_prompter.SaveFile("line.csv", tr("CSV (*.csv);;Text (*.txt)").toStdString());
    if (!path) {
        return;
    }
    const bool csv = path->size() >= 4 && path->compare(path->size() - 4, 4, ".csv") == 0;
    std::ofstream file(*path, std::ios::binary | std::ios::trunc);
    file << Export(csv);
    file.close();
    if (!file) {
        m_prompter.Message(tr("The lines could not be written to %1.")
                               .arg(QString::fromLocal8Bit(path->c_str()))
                               .toStdString(),
                           tr("Line Monitor").toStdString(), PromptIcon::Warning);
    }
}

// One query at a time, the next when the reply came or the wait ran out:
// the port drops unread input before each write, so a reply still arriving
// when the next query goes out would be lost.
void CLineMonitorDlg::OnQueryPosition() {
    m_queries = {kQueryTilt, kQueryZoom};
    SendQuery(kQueryPan);
}

void CLineMonitorDlg::SendQuery(uint8_t query) {
    m_awaiting = ReplyFor(query);
    m_queryWait->start();
    m_link.send(query, 0);
}

void CLineMonitorDlg::NextQuery() {
    m_queryWait->stop();
    m_awaiting = 0;
    if (m_queries.empty()) {
        return;
    }
    const uint8_t next = m_queries.front();
    m_queries.erase(m_queries.begin());
    SendQuery(next);
}

void CLineMonitorDlg::SetQuerySpacing(int ms) {
    m_queryWait->setInterval(ms);
}
