#include "console/CommandListModel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstring>
#include <thread>

#include "commandlist/CommandListFile.h"
#include "commandlist/CommandRow.h"

namespace {

CommandRecord Record(uint32_t interval, std::vector<uint8_t> bytes, uint32_t size) {
    CommandRecord r{};
    r.dwInterval = interval;
    r.dwSize = size;
    std::memcpy(r.byData, bytes.data(), std::min<size_t>(bytes.size(), 8));
    return r;
}

// The texts themselves are CommandRow's; here the list numbers the rows and
// hands back the records it was given.
TEST(CommandListModel, RowsAreNumberedFromZeroAndKeepTheirRecords) {
    const CommandRecord records[] = {Record(250, {0xa0, 1, 0, 8, 0, 0x20, 0xaf, 0x26}, 8),
                                     Record(0x80000000u, {1}, 1)};
    CommandListModel model;
    EXPECT_EQ(model.AppendRecords({records[0], records[1]}), 2);
    ASSERT_EQ(model.rowCount(), 2) << "a load is shown at once";
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(model.data(model.index(row, 0)).toString().toStdString(), std::to_string(row));
        EXPECT_EQ(model.data(model.index(row, 1)).toString().toStdString(),
                  FormatCommandRow(row, records[row]).message);
        const CommandRecord back = model.RowRecord(row);
        EXPECT_EQ(std::memcmp(&back, &records[row], sizeof back), 0) << row;
    }
    model.Clear();
    model.AppendRecord(records[1]);
    EXPECT_EQ(model.Row(0).id, "0") << "numbering restarts after Clear";
    EXPECT_EQ(model.Row(1).id, "") << "nothing outside the list";
}

TEST(CommandListModel, OneAppendPerTurnForViewsAndARowLimit) {
    char name[] = "test";
    char* argv[] = {name, nullptr};
    int argc = 1;
    QCoreApplication app(argc, argv);
    CommandListModel model;
    std::vector<std::pair<int, int>> inserted;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         inserted.emplace_back(first, last);
                         EXPECT_EQ(model.rowCount(), last + 1);
                     });
    for (int row = 0; row < 3; ++row) {
        model.AppendRecord(Record(0, {1}, 1));
    }
    EXPECT_EQ(model.Count(), 3) << "the rows are there for saving at once";
    EXPECT_EQ(model.rowCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 2}}));

    std::thread log([&model] {
        for (uint32_t row = 0; row < 1000; ++row) {
            model.PostRecord(Record(row, {1}, 1));
        }
    });
    log.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(inserted.back(), std::make_pair(3, 1002)) << "a burst from the log, in one";
    EXPECT_EQ(model.Row(1002).interval, "999");

    const std::vector<CommandRecord> many(kMaxCommandListRows, Record(5, {2}, 1));
    EXPECT_EQ(model.AppendRecords(many), kMaxCommandListRows - 1003);
    EXPECT_FALSE(model.AppendRecord(Record(0, {1}, 1)));
    EXPECT_EQ(model.AppendRecords(many), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), kMaxCommandListRows);
    EXPECT_EQ(inserted.back(), std::make_pair(1003, kMaxCommandListRows - 1));
}

}  // namespace
