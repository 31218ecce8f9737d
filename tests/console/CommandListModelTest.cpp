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
        {"Pelco-P tilt up, lowercase two-digit bytes",
         Record(250, {0xa0, 1, 0, 8, 0, 0x20, 0xaf, 0x26}, 8),
         {"0", "a0 01 00 08 00 20 af 26", "8", "250"}},
        {"an odd size shows its bytes", Record(1, {1, 2, 3, 4}, 3), {"1", "01 02 03", "3", "1"}},
        {"size 0 shows nothing", Record(1, {1, 2}, 0), {"2", "", "0", "1"}},
        {"an interval of 2^31 or more reads as negative",
         Record(0x80000000u, {1}, 1),
         {"3", "01", "1", "-2147483648"}},
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

}  // namespace
