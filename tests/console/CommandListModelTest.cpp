#include "console/CommandListModel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "commandlist/CommandListFile.h"

namespace {

CommandRecord Record(uint32_t interval) {
    return CommandRecord{interval, 1, {1}};
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
        model.AppendRecord(Record(0));
    }
    EXPECT_EQ(model.Count(), 3) << "the rows are there for saving at once";
    EXPECT_EQ(model.rowCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 2}}));

    std::thread log([&model] {
        for (uint32_t row = 0; row < 1000; ++row) {
            model.PostRecord(Record(row));
        }
    });
    log.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(inserted.back(), std::make_pair(3, 1002)) << "a burst from the log, in one";
    EXPECT_EQ(model.Row(1002).interval, "999");

    const std::vector<CommandRecord> many(kMaxCommandListRows, Record(5));
    EXPECT_EQ(model.AppendRecords(many), kMaxCommandListRows - 1003);
    EXPECT_FALSE(model.AppendRecord(Record(0)));
    EXPECT_EQ(model.AppendRecords(many), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), kMaxCommandListRows);
    EXPECT_EQ(inserted.back(), std::make_pair(1003, kMaxCommandListRows - 1));
}

}  // namespace
