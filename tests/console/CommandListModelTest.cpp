#include "console/CommandListModel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstring>
#include <thread>

#include "commandlist/CommandListFile.h"
#include "stream/CxIOFile.h"
#include "tests/support/TempDir.h"

namespace {

CommandRecord Record(uint32_t interval, std::vector<uint8_t> bytes, uint32_t size) {
    CommandRecord r{};
    r.dwInterval = interval;
    r.dwSize = size;
    std::memcpy(r.byData, bytes.data(), std::min<size_t>(bytes.size(), 8));
    return r;
}

std::vector<std::string> RowTexts(const CommandListModel& model, int row) {
    std::vector<std::string> texts;
    for (int column = 0; column < CommandListModel::ColumnCount; ++column) {
        texts.push_back(model.data(model.index(row, column)).toString().toStdString());
    }
    return texts;
}

// The texts are made from the records when asked for; saving reads them back
// and a load shows them again unchanged.
TEST(CommandListModel, RowsShowTheirExactTextsThroughSaveAndLoad) {
    struct Case {
        const char* what;
        CommandRecord record;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"Pelco-P tilt up, lowercase two-digit bytes",
         Record(250, {0xa0, 1, 0, 8, 0, 0x20, 0xaf, 0x26}, 8),
         {"0", "a0 01 00 08 00 20 af 26", "8", "250"}},
        {"an odd size shows its bytes", Record(1, {1, 2, 3, 4}, 3), {"1", "01 02 03", "3", "1"}},
        {"size 0 shows nothing", Record(1, {1, 2}, 0), {"2", "", "0", "1"}},
        {"an interval of 2^31 or more reads as negative",
         Record(0x80000000u, {1}, 1),
         {"3", "01", "1", "-2147483648"}},
        {"a size past 8 shows 8 bytes",
         Record(7, {0, 1, 2, 3, 4, 5, 6, 0x0a}, 100),
         {"4", "00 01 02 03 04 05 06 0a", "100", "7"}},
    };
    CommandListModel model;
    std::vector<CommandRecord> saved;
    for (const Case& c : cases) {
        ASSERT_TRUE(model.AppendRecord(c.record));
    }
    model.Flush();
    ASSERT_EQ(model.rowCount(), 5);
    for (int row = 0; row < model.rowCount(); ++row) {
        const Case& c = cases[row];
        EXPECT_EQ(RowTexts(model, row), c.texts) << c.what;
        const CommandRowTexts t = model.Row(row);
        const CommandRecord fromTexts =
            RecordFromRow(t.message.c_str(), t.size.c_str(), t.interval.c_str());
        saved.push_back(model.RowRecord(row));
        EXPECT_EQ(std::memcmp(&saved.back(), &fromTexts, sizeof fromTexts), 0) << c.what;
    }

    TempDir dir;
    CxIOFile file;
    CommandListHeader header{{0, 0, 5, 3, 0, 0}, {0, 0, 1}, 32, 0, 0};
    ASSERT_TRUE(SaveCommandList(file, dir.File(kCommandListFileName), header, saved));
    std::vector<CommandRecord> records;
    ASSERT_TRUE(LoadCommandList(file, dir.File(kCommandListFileName), header, records));
    CommandListModel loaded;
    EXPECT_EQ(loaded.AppendRecords(records), 5);
    ASSERT_EQ(loaded.rowCount(), 5) << "a load is shown at once";
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(RowTexts(loaded, row), cases[row].texts) << cases[row].what;
    }
    model.Clear();
    model.AppendRecord(cases[0].record);
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
