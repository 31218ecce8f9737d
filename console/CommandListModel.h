#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "commandlist/CommandRecord.h"
#include "commandlist/CommandRow.h"

// The command list: one row of texts per recorded command, in the order
// appended. Rows are only ever removed all together. The texts are kept as
// formatted, because saving and replay read them back.
class CommandListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColumnId, ColumnMessage, ColumnSize, ColumnInterval, ColumnCount };

    explicit CommandListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Appends the record as the new last row, numbered with its own index.
    void AppendRecord(const CommandRecord& record);
    void AppendRecords(const std::vector<CommandRecord>& records);
    void Clear();

    int Count() const { return static_cast<int>(m_rows.size()); }
    const CommandRowTexts& Row(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // The text of one cell, as the list shows it; empty outside the list.
    std::string ItemText(int row, int column) const;

private:
    std::vector<CommandRowTexts> m_rows;
};
