#include "console/CommandListModel.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST(CommandListModel, RowsShowTheirExactTexts) {
    struct Case {
        const char* what;
        CommandRecord record;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"Pelco-P tilt up",
         Record(250, {0xa0, 1, 0, 8, 0, 0x20, 0xaf, 0x26}, 8),
         {"0", "a0 01 00 08 00 20 af 26", "8", "250"}},
        {"lowercase, two digits",
         Record(5, {0x0a, 0xB0, 0, 0, 0, 0, 0x0f}, 7),
         {"1", "0a b0 00 00 00 00 0f", "7", "5"}},
        {"an odd size shows its bytes", Record(1, {1, 2, 3, 4}, 3), {"2", "01 02 03", "3", "1"}},
        {"size 0 shows nothing", Record(1, {1, 2}, 0), {"3", "", "0", "1"}},
        {"an interval of 2^31 or more reads as negative",
         Record(0x80000000u, {1}, 1),
         {"4", "01", "1", "-2147483648"}},
    };
    CommandListModel model;
    for (const Case& c : cases) {
        model.AppendRecord(c.record);
    }
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_EQ(RowTexts(model, row), cases[row].texts) << cases[row].what;
    }
    model.Clear();
    model.AppendRecord(cases[0].record);
    EXPECT_EQ(RowTexts(model, 0)[0], "0") << "numbering restarts after Clear";
}

TEST(CommandListModel, AHundredThousandRowsReadBack) {
    CommandListModel model;
    for (uint32_t i = 0; i < 100000; ++i) {
        model.AppendRecord(Record(i, {0xff, static_cast<uint8_t>(i), 0, 0, 0, 0, 1}, 7));
    }
    ASSERT_EQ(model.rowCount(), 100000);
    EXPECT_EQ(RowTexts(model, 99999),
              (std::vector<std::string>{"99999", "ff 9f 00 00 00 00 01", "7", "99999"}));
}

}  // namespace
