#include "console/CommandListModel.h"

#include <QMetaObject>
#include <algorithm>
#include <iterator>
#include <new>

#include "commandlist/CommandListFile.h"

namespace {

const char* const kHeaders[CommandListModel::ColumnCount] = {
    QT_TRANSLATE_NOOP("CommandListModel", "ID"), QT_TRANSLATE_NOOP("CommandListModel", "Message"),
    QT_TRANSLATE_NOOP("CommandListModel", "Message Size"),
    QT_TRANSLATE_NOOP("CommandListModel", "Time Interval(sec)")};

}  // namespace

CommandListModel::CommandListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CommandListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

int CommandListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CommandListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown || index.column() >= ColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(ItemText(index.row(), index.column()));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

QVariant CommandListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return tr(kHeaders[section]);
    }
    // The interval header keeps the name files and people know it by.
    if (role == Qt::ToolTipRole && section == ColumnInterval) {
        return tr("Milliseconds since the previous command");
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

bool CommandListModel::AppendRecord(const CommandRecord& record) {
    if (Count() >= kMaxCommandListRows) {
        return false;
    }
    try {
        m_records.push_back(record);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_unsaved = true;
    // One insertion per event-loop turn: the log can append faster than a
    // view can take rows one by one.
    if (!m_flushPosted) {
        m_flushPosted = true;
        QMetaObject::invokeMethod(this, &CommandListModel::Flush, Qt::QueuedConnection);
    }
    return true;
}

void CommandListModel::PostRecord(const CommandRecord& record) {
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(m_postMutex);
        if (m_posted.size() >= static_cast<std::size_t>(kMaxCommandListRows)) {
            return;  // more than the list could ever take
        }
        first = m_posted.empty();
        try {
            m_posted.push_back(record);
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    if (first) {
        QMetaObject::invokeMethod(this, &CommandListModel::TakePosted, Qt::QueuedConnection);
    }
}

void CommandListModel::TakePosted() {
    std::vector<CommandRecord> taken;
    {
        std::lock_guard<std::mutex> lock(m_postMutex);
        taken.swap(m_posted);
    }
    if (taken.empty()) {
        return;
    }
    for (const CommandRecord& record : taken) {
        AppendRecord(record);
    }
    Flush();
}

int CommandListModel::AppendRecords(const std::vector<CommandRecord>& records) {
    Flush();
    const std::size_t room = static_cast<std::size_t>(kMaxCommandListRows - Count());
    const int count = static_cast<int>(std::min(records.size(), room));
    if (count == 0) {
        return 0;
    }
    try {
        m_records.reserve(m_records.size() + static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    beginInsertRows(QModelIndex(), m_shown, m_shown + count - 1);
    m_records.insert(m_records.end(), records.begin(), records.begin() + count);
    m_shown = Count();
    m_unsaved = true;
    endInsertRows();
    return count;
}

void CommandListModel::Clear() {
    beginResetModel();
    m_records.clear();
    m_records.shrink_to_fit();
    m_shown = 0;
    m_unsaved = false;
    endResetModel();
}

void CommandListModel::Flush() {
    m_flushPosted = false;
    if (m_shown == Count()) {
        return;
    }
    beginInsertRows(QModelIndex(), m_shown, Count() - 1);
    m_shown = Count();
    endInsertRows();
}

CommandRowTexts CommandListModel::Row(int row) const {
    return Holds(row) ? FormatCommandRow(row, m_records[static_cast<std::size_t>(row)])
                      : CommandRowTexts{};
}

CommandRecord CommandListModel::RowRecord(int row) const {
    if (!Holds(row)) {
        return {};
    }
    CommandRecord record = m_records[static_cast<std::size_t>(row)];
    const uint32_t shown = std::min<uint32_t>(record.dwSize, sizeof record.byData);
    std::fill(record.byData + shown, std::end(record.byData), uint8_t{0});
    return record;
}

std::string CommandListModel::ItemText(int row, int column) const {
    if (!Holds(row) || column < 0 || column >= ColumnCount) {
        return {};
    }
    // One formatter for every cell of the row.
    const CommandRowTexts texts = Row(row);
    switch (column) {
        case ColumnId:
            return texts.id;
        case ColumnMessage:
            return texts.message;
        case ColumnSize:
            return texts.size;
        default:
            return texts.interval;
    }
}
