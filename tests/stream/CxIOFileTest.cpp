#include "stream/CxIOFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "stream/CxMemFile.h"

namespace {

namespace fs = std::filesystem;

class CxIOFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "cxiofile-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const char* name) const { return (dir_ / name).string(); }

    // Thirteen bytes: three 4-byte words and one byte.
    void WriteSample(const std::string& path) {
        CxIOFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "wb"));
        const uint32_t words[3] = {0x11223344u, 0x55667788u, 0x99AABBCCu};
        ASSERT_EQ(file.Write(words, 4, 3), 3u);
        ASSERT_TRUE(file.PutC(0xFF));
        ASSERT_TRUE(file.Flush());
        ASSERT_TRUE(file.Close());
        EXPECT_FALSE(file.IsOpen());
    }

    fs::path dir_;
};

TEST(CxIOFileWithoutFile, ReportsNoFileInEveryOperation) {
    CxIOFile file;
    CxMemFile memory;
    uint8_t byte = 0;
    EXPECT_EQ(file.Tell(), 0) << "unlike a memory stream";
    EXPECT_EQ(memory.Tell(), -1);
    EXPECT_EQ(file.Size(), -1);
    EXPECT_EQ(file.Error(), -1);
    EXPECT_TRUE(file.Eof());
    EXPECT_FALSE(file.Flush());
    EXPECT_FALSE(file.Seek(0, 0));
    EXPECT_EQ(file.Read(&byte, 1, 1), 0u);
    EXPECT_EQ(file.Write(&byte, 1, 1), 0u);
    EXPECT_FALSE(file.PutC(1));
    EXPECT_EQ(file.GetC(), -1);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(CxIOFileTest, WrittenFileReadsBack) {
    const std::string path = PathOf("sample.bin");
    WriteSample(path);
    ASSERT_EQ(fs::file_size(path), 13u);

    CxIOFile file;
    ASSERT_TRUE(file.Open(path.c_str(), "rb"));
    uint32_t words[4] = {};
    EXPECT_EQ(file.Read(words, 4, 2), 2u);
    EXPECT_EQ(words[1], 0x55667788u);
    EXPECT_EQ(file.Size(), 13);
    EXPECT_EQ(file.Tell(), 8) << "Size puts the position back";
    EXPECT_EQ(file.Read(words, 4, 1), 1u);
    EXPECT_EQ(words[0], 0x99AABBCCu);
    EXPECT_EQ(file.GetC(), 255) << "0xFF is a byte, not the end";
    EXPECT_EQ(file.GetC(), -1);
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Error(), 0);
    ASSERT_TRUE(file.Seek(8, 0));
    EXPECT_EQ(file.Read(words, 4, 4), 1u) << "whole items only";
    EXPECT_TRUE(file.Close());
}

TEST_F(CxIOFileTest, SeekFollowsTheStandardModel) {
    struct Row {
        const char* what;
        int32_t offset;
        int origin;
        bool ok;
        int32_t pos;
    };
    // Thirteen bytes, position 4.
    const Row rows[] = {
        {"from start", 3, 0, true, 3},         {"from current", 2, 1, true, 6},
        {"from end", -1, 2, true, 12},         {"past the end", 7, 2, true, 20},
        {"before the start", -1, 0, false, 4}, {"origin 3", 0, 3, false, 4},
    };
    const std::string path = PathOf("seek.bin");
    WriteSample(path);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CxIOFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "rb"));
        ASSERT_TRUE(file.Seek(4, 0));
        EXPECT_EQ(file.Seek(row.offset, row.origin), row.ok);
        EXPECT_EQ(file.Tell(), row.pos);
    }
}

TEST_F(CxIOFileTest, OpenIsRefusedWhileAFileIsAttached) {
    const std::string first = PathOf("first.bin");
    const std::string second = PathOf("second.bin");
    WriteSample(first);
    WriteSample(second);

    CxIOFile file;
    EXPECT_FALSE(file.Open(PathOf("missing/none.bin").c_str(), "rb"));
    EXPECT_FALSE(file.IsOpen());
    ASSERT_TRUE(file.Open(first.c_str(), "rb"));
    ASSERT_TRUE(file.Seek(5, 0));
    EXPECT_FALSE(file.Open(second.c_str(), "rb"));
    EXPECT_EQ(file.Tell(), 5) << "the old file stays";
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(file.Open(second.c_str(), "rb"));
}

TEST_F(CxIOFileTest, HandedInFileIsNeverClosed) {
    FILE* handed = std::fopen(PathOf("handed.bin").c_str(), "w+b");
    ASSERT_NE(handed, nullptr);
    {
        CxIOFile file(handed);
        EXPECT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.Close());
        EXPECT_TRUE(file.IsOpen()) << "still attached";
        EXPECT_FALSE(file.Open(PathOf("other.bin").c_str(), "wb"));
        EXPECT_EQ(file.Write("abc", 1, 3), 3u) << "and still open";
    }
    // Still usable after the object is gone; a close by it would show here
    // and under the sanitizers.
    EXPECT_EQ(std::fputc('d', handed), 'd');
    ASSERT_EQ(std::fseek(handed, 0, SEEK_SET), 0);
    char back[5] = {};
    EXPECT_EQ(std::fread(back, 1, 4, handed), 4u);
    EXPECT_STREQ(back, "abcd");
    EXPECT_EQ(std::fclose(handed), 0);
}

TEST(CxFileInterface, PutCDefaultsToAOneByteWrite) {
    // A stream that only knows Write: PutC reaches it through the base.
    class Recorder : public CxFile {
      public:
        uint32_t result = 1;
        uint32_t size = 0, count = 0;
        uint8_t byte = 0;
        bool Close() override { return true; }
        uint32_t Read(void*, uint32_t, uint32_t) override { return 0; }
        uint32_t Write(const void* buffer, uint32_t s, uint32_t c) override {
            byte = *static_cast<const uint8_t*>(buffer);
            size = s;
            count = c;
            return result;
        }
        bool Seek(int32_t, int) override { return false; }
        int32_t Tell() override { return 0; }
        int32_t Size() override { return 0; }
        bool Flush() override { return false; }
        bool Eof() override { return true; }
        int32_t Error() override { return 0; }
        int32_t GetC() override { return -1; }
    };
    Recorder recorder;
    CxFile& stream = recorder;
    EXPECT_TRUE(stream.PutC(0xAB));
    EXPECT_EQ(recorder.byte, 0xAB);
    EXPECT_EQ(recorder.size, 1u);
    EXPECT_EQ(recorder.count, 1u);
    recorder.result = 0;
    EXPECT_FALSE(stream.PutC(1));
}

}  // namespace
