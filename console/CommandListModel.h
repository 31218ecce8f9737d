#pragma once

#include <QAbstractTableModel>
#include <mutex>
#include <vector>

#include "commandlist/CommandRecord.h"
#include "commandlist/CommandRow.h"

// The command list: one 16-byte record per recorded command, in the order
// appended; a row's texts are made when asked for. Saving and replay take the
// records. Rows are only ever removed all together.
class CommandListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColumnId, ColumnMessage, ColumnSize, ColumnInterval, ColumnCount };

    explicit CommandListModel(QObject* parent = nullptr);

    // Views see the rows announced so far; Count() and the row accessors see all.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Appends the record as the new last row, numbered with its own index.
    // Views are told on the next event-loop turn, once for every row appended
    // meanwhile. False, with nothing appended, once the list is full.
    bool AppendRecord(const CommandRecord& record);
    // From any thread (the log's): appended on the model's thread with every
    // record posted meanwhile, so a burst costs one queued call, not one each.
    void PostRecord(const CommandRecord& record);
    // Appends what fits below the limit, announced at once; returns how many.
    int AppendRecords(const std::vector<CommandRecord>& records);
    void Clear();
    // Announces the rows appended one at a time that views have not seen yet.
    void Flush();
    // Appends, on the model's thread, the records posted so far.
    void TakePosted();

    // Rows were appended since the last MarkSaved or Clear.
    bool Unsaved() const { return m_unsaved && Count() > 0; }
    void MarkSaved() { m_unsaved = false; }

    int Count() const { return static_cast<int>(m_records.size()); }
    CommandRowTexts Row(int row) const;
    // The record as saving and replay take it: bytes past the message are 0,
    // as the row shows them. Outside the list, all 0.
    CommandRecord RowRecord(int row) const;
    // The text of one cell, as the list shows it; empty outside the list.
    std::string ItemText(int row, int column) const;
    // Bytes held for the rows, spare capacity included.
    std::size_t MemoryBytes() const { return m_records.capacity() * sizeof(CommandRecord); }

private:
    bool Holds(int row) const { return row >= 0 && row < Count(); }

    std::vector<CommandRecord> m_records;
    int m_shown = 0;  // rows the views have been told of
    bool m_unsaved = false;
    bool m_flushPosted = false;
    std::mutex m_postMutex;
    std::vector<CommandRecord> m_posted;  // by other threads, not yet taken
};
