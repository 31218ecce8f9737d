#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "commandlist/CommandListFile.h"
#include "stream/CxIOFile.h"
#include "tests/support/ListFileBytes.h"
#include "tests/support/TempDir.h"

namespace {

const std::vector<CommandRecord> kRecords = {
    {0, 7, {0xff, 1, 0, 8, 0x20, 0x20, 0x49}}, {1, 7, {1}}, {2, 7, {2}}, {3, 7, {3}}, {4, 7, {4}}};

// What a file's header lets a load take, and no more; -1: refused with the
// outputs untouched.
TEST(CommandListFile, LoadsWhatAWholeValidHeaderLetsItAndNoMore) {
    struct {
        const char* what;
        size_t word;  // of the header, set to `value`
        int32_t value;
        size_t length;  // of the file, cut or sparse
        int32_t limit;
        int32_t loaded;
        int64_t leftOut;
        int64_t missing;  // promised by n, not in the file
    } rows[] = {
        {"COM past its list", 1, 8, 80, kMaxCommandListRows, -1, 0, 0},
        {"BaudRate past its list", 2, 13, 80, kMaxCommandListRows, -1, 0, 0},
        {"StopBits past its list", 4, 2, 80, kMaxCommandListRows, -1, 0, 0},
        {"PTZ Address past its list", 8, 225, 80, kMaxCommandListRows, -1, 0, 0},
        {"below a list", 8, -1, 80, kMaxCommandListRows, -1, 0, 0},
        {"last entries", 1, 7, 80, kMaxCommandListRows, 2, 0, 0},
        {"n = 5, cut in the 4th", 11, 5, 48 + 57, kMaxCommandListRows, 3, 0, 2},
        {"huge n", 11, INT32_MAX, 80, kMaxCommandListRows, 2, 0, INT32_MAX - 2},
        {"negative n", 11, INT32_MIN, 80, kMaxCommandListRows, 0, 0, 0},
        {"more than the limit", 11, 5, 128, 3, 3, 2, 0},
        {"a 2 GiB file", 11, 8000000, size_t{2} << 30, kMaxCommandListRows, kMaxCommandListRows,
         8000000 - kMaxCommandListRows, 0},
    };
    TempDir dir;
    const std::string path = dir.File(kCommandListFileName);
    CxIOFile file;
    auto load = [&](const Bytes& bytes, size_t length, int32_t limit, CommandListLoad& counts) {
        EXPECT_TRUE(WriteWholeFile(
            path, Bytes(bytes.begin(), bytes.begin() + std::min(length, bytes.size()))));
        if (length > bytes.size()) {
            EXPECT_EQ(truncate(path.c_str(), static_cast<off_t>(length)), 0);
        }
        CommandListHeader header{};
        header.count = -7;
        std::vector<CommandRecord> loaded(1);
        const bool ok = LoadCommandList(file, path, header, loaded, counts, limit).ok();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_TRUE(ok || (header.count == -7 && loaded.size() == 1));
        EXPECT_TRUE(!ok || loaded.empty() ||
                    std::memcmp(loaded.data(), kRecords.data(),
                                16 * std::min<size_t>(5, loaded.size())) == 0);
        return ok ? static_cast<int32_t>(loaded.size()) : -1;
    };
    const Bytes whole = ListFileBytes({0, 2, 9, 3, 1, 2, 0, 1, 224, 32, 800, 2}, kRecords);
    for (const auto& r : rows) {
        CommandListLoad counts;
        EXPECT_EQ(
            load(WithWord(whole, static_cast<int>(r.word), r.value), r.length, r.limit, counts),
            r.loaded)
            << r.what;
        EXPECT_EQ(counts.leftOut, r.leftOut) << r.what;
        EXPECT_EQ(counts.missing, r.missing) << r.what;
    }
    for (size_t cut = 0; cut < 48; ++cut) {
        CommandListLoad counts;
        EXPECT_EQ(load(whole, cut, kMaxCommandListRows, counts), -1) << "cut at " << cut;
    }
}

// Another program replaces the file while it is being read: the sizes are
// those of the file that was opened, not of whatever the path names by then.
TEST(CommandListFile, ALoadReadsTheFileItOpenedWhenThePathIsReplaced) {
    struct SwappingFile : CxIOFile {
        uint32_t Read(void* buffer, uint32_t size, uint32_t count) override {
            if (!swapped) {
                swapped = true;
                EXPECT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
            }
            return CxIOFile::Read(buffer, size, count);
        }
        std::string path, replacement;
        bool swapped = false;
    };
    TempDir dir;
    SwappingFile file;
    file.path = dir.File(kCommandListFileName);
    file.replacement = dir.File("new.cfg");
    WriteWholeFile(file.path, ListFileBytes(Header(2, 9, 3, 1, 2, 1, 224, 32, 800, 3),
                                            {kRecords.begin(), kRecords.begin() + 3}));
    WriteWholeFile(file.replacement,
                   ListFileBytes(Header(2, 9, 3, 1, 2, 1, 224, 32, 800, 1), {kRecords.back()}));
    CommandListHeader loaded{};
    std::vector<CommandRecord> records;
    CommandListLoad counts;
    ASSERT_TRUE(LoadCommandList(file, file.path, loaded, records, counts));
    ASSERT_TRUE(file.swapped);
    ASSERT_EQ(loaded.count, 3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(std::memcmp(records.data(), kRecords.data(), 48), 0);
}

}  // namespace
