#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "commandlist/CommandListFile.h"
#include "commandlist/CommandRow.h"
#include "stream/CxIOFile.h"
#include "tests/support/ListFileBytes.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
const std::vector<CommandRecord> kRecords = {RecordFromRow("ff 01 00 08 20 20 49", "7", "0"),
                                             RecordFromRow("a0 01 00 08 00 20 af 26", "8", "-5"),
                                             {1, 7, {1}},
                                             {2, 7, {2}},
                                             {3, 7, {3}}};

// Twelve header words, then `records` of kRecords, cut to `length`.
Bytes Built(int32_t count, size_t records, size_t length = SIZE_MAX) {
    Bytes out = ListFileBytes({0, 2, 9, 3, 1, 2, 0, 1, 224, 32, 800, count},
                              {kRecords.begin(), kRecords.begin() + records});
    out.resize(std::min(length, out.size()));
    return out;
}

struct CommandListFileTest : testing::Test {
    // Empties the folder between table rows.
    void Clear() {
        for (const auto& entry : fs::directory_iterator(dir.path()))
            fs::remove_all(entry.path());
    }
    void Put(const Bytes& b) { ASSERT_TRUE(WriteWholeFile(path, b)); }
    Bytes Get() { return ReadWholeFile(path); }
    // The records loaded, or -1 when refused with the outputs untouched.
    int Load() {
        CommandListHeader h = header;
        loaded = {{}};
        const bool ok = LoadCommandList(file, path, h, loaded);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_TRUE(ok || (std::memcmp(&h, &header, sizeof h) == 0 && loaded.size() == 1));
        return ok ? int(loaded.size()) : -1;
    }

    TempDir dir;
    std::string path = dir.File(kCommandListFileName);
    CxIOFile file;
    CommandListHeader header{{7, 2, 9, 3, 1, 2}, {7, 1, 224}, 32, 800, 99};
    std::vector<CommandRecord> loaded;
};

TEST_F(CommandListFileTest, SavesTheLayoutAndLoadsRowsBack) {
    ASSERT_TRUE(SaveCommandList(file, path, header, {}));
    EXPECT_EQ(Get(), Built(0, 0)) << "reserved words 0, count from the list";
    ASSERT_TRUE(SaveCommandList(file, path, header, {kRecords[0], kRecords[1]}));
    EXPECT_EQ(Get(), Built(2, 2));
    ASSERT_EQ(Load(), 2);
    const CommandRowTexts d = FormatCommandRow(0, loaded[0]), p = FormatCommandRow(1, loaded[1]);
    EXPECT_EQ(d.message + "/" + d.size + "/" + d.interval, "ff 01 00 08 20 20 49/7/0");
    EXPECT_EQ(p.message + "/" + p.size + "/" + p.interval, "a0 01 00 08 00 20 af 26/8/-5");
}

TEST_F(CommandListFileTest, LoadsWhatIsThereFromAValidHeaderOnly) {
    struct {
        const char* what;
        size_t word;  // of the header, set to `value`
        int32_t value;
        size_t length;
        int loaded;
    } rows[] = {{"COM", 1, 8, 80, -1},
                {"BaudRate", 2, 13, 80, -1},
                {"PTZ Address", 8, 225, 80, -1},
                {"below a list", 8, -1, 80, -1},
                {"last entries", 1, 7, 80, 2},
                {"n = 5, cut in the 4th", 11, 5, 48 + 57, 3},
                {"huge n", 11, INT32_MAX, 80, 2},
                {"n = 0", 11, 0, 80, 0},
                {"negative n", 11, INT32_MIN, 80, 0}};
    for (auto& r : rows) {
        Bytes b = Built(2, 5, r.length);
        std::memcpy(&b[r.word * 4], &r.value, 4);
        Put(b);
        ASSERT_EQ(Load(), r.loaded) << r.what;
        EXPECT_TRUE(r.loaded <= 0 ||
                    std::memcmp(loaded.data(), kRecords.data(), r.loaded * 16) == 0);
    }
    for (size_t cut = 0; cut < 48; ++cut) {
        Put(Built(2, 2, cut));
        EXPECT_EQ(Load(), -1) << "cut at " << cut;
    }
}

TEST_F(CommandListFileTest, LoadsUpToTheLimitAndCountsWhatIsLeftOut) {
    struct {
        const char* what;
        int32_t count;
        size_t records;  // held by the file
        off_t extent;    // sparse length past the records, 0 for none
        int32_t limit;
        int32_t loaded;
        int64_t leftOut;
    } rows[] = {{"claims 8 million, holds 5", 8000000, 5, 0, kMaxCommandListRows, 5, 0},
                {"holds more than the limit", 5, 5, 0, 3, 3, 2},
                {"count between limit and size", 4, 5, 0, 3, 3, 1},
                {"a 2 GiB file", 8000000, 5, off_t{2} << 30, kMaxCommandListRows,
                 kMaxCommandListRows, 8000000 - kMaxCommandListRows}};
    for (auto& r : rows) {
        Put(Built(r.count, r.records));
        if (r.extent != 0) {
            ASSERT_EQ(truncate(path.c_str(), r.extent), 0);
        }
        CommandListHeader h{};
        CommandListLoad load;
        ASSERT_TRUE(LoadCommandList(file, path, h, loaded, load, r.limit)) << r.what;
        EXPECT_EQ(load.loaded, r.loaded) << r.what;
        EXPECT_EQ(int64_t(loaded.size()), r.loaded) << r.what;
        EXPECT_EQ(load.leftOut, r.leftOut) << r.what;
        EXPECT_EQ(std::memcmp(loaded.data(), kRecords.data(), 16 * std::min<size_t>(5, r.loaded)),
                  0);
    }
    fs::remove(path);
}

}  // namespace
