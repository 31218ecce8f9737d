#include "console/CommandListModel.h"

namespace {

const char* const kHeaders[CommandListModel::ColumnCount] = {"ID", "Message", "Message Size",
                                                             "Time Interval(sec)"};

const std::string& Cell(const CommandRowTexts& row, int column) {
    switch (column) {
        case CommandListModel::ColumnId:
            return row.id;
        case CommandListModel::ColumnMessage:
            return row.message;
        case CommandListModel::ColumnSize:
            return row.size;
        default:
            return row.interval;
    }
}

}  // namespace

CommandListModel::CommandListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CommandListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int CommandListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CommandListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count() || index.column() >= ColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(Cell(Row(index.row()), index.column()));
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
        return QString::fromLatin1(kHeaders[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

void CommandListModel::AppendRecord(const CommandRecord& record) {
    const int row = Count();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(FormatCommandRow(row, record));
    endInsertRows();
}

void CommandListModel::AppendRecords(const std::vector<CommandRecord>& records) {
    if (records.empty()) {
        return;
    }
    // Everything that can run out of memory happens before the view is told
    // of the rows, so a failed append leaves the list as it was.
    const int first = Count();
    std::vector<CommandRowTexts> rows;
    rows.reserve(records.size());
    for (const CommandRecord& record : records) {
        rows.push_back(FormatCommandRow(first + static_cast<int>(rows.size()), record));
    }
    m_rows.reserve(m_rows.size() + rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

void CommandListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

std::string CommandListModel::ItemText(int row, int column) const {
    if (row < 0 || row >= Count() || column < 0 || column >= ColumnCount) {
        return {};
    }
    return Cell(Row(row), column);
}
