#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "stream/CxIOFile.h"
#include "stream/CxMemFile.h"
#include "tests/support/TempDir.h"

namespace {

struct Mem : CxMemFile {
    using CxMemFile::Alloc;
    using CxMemFile::CxMemFile;
};

TEST(CxMemFile, SeekThenRead) {  // ten bytes, position 2
    struct {
        const char* what;
        int32_t offset;
        int origin;
        int32_t pos;
        uint32_t size, count, items;
        int32_t after, error;
    } rows[] = {{"3x4 with 8 left", 2, 0, 2, 4, 3, 2, 10, 0},
                {"from end", -1, 2, 9, 2, 1, 0, 10, 0},
                {"beyond end", 5, 2, 15, 1, 1, 0, 15, 1},
                {"size*count wraps", 0, 1, 2, 0x10000, 0x10000, 0, 10, 0}};
    for (auto& r : rows) {
        CxMemFile m;
        ASSERT_TRUE(m.Open());
        ASSERT_EQ(m.Write("0123456789", 1, 10), 10u);
        ASSERT_TRUE(m.Seek(2, 0));
        EXPECT_EQ(m.Seek(r.offset, r.origin), r.origin != 3) << r.what;
        EXPECT_EQ(m.Tell(), r.pos) << r.what;
        char out[16];
        EXPECT_EQ(m.Read(out, r.size, r.count), r.items) << r.what;
        EXPECT_EQ(m.Tell(), r.after) << r.what;
        EXPECT_EQ(m.Eof(), r.after >= 10) << r.what;
        EXPECT_EQ(m.Error(), r.error) << r.what;
    }
}

TEST(CxMemFile, GapReadsAsZerosAndGetCIsUnsigned) {
    for (int32_t at : {100, 5000}) {  // inside the capacity, and after a growth
        Mem m;
        ASSERT_TRUE(m.Open() && m.Alloc(200));
        std::memset(m.GetBuffer(false), 0xAA, 200);  // what an allocator may leave
        ASSERT_TRUE(m.PutC(0xFF) && m.Seek(at, 0) && m.PutC('z') && m.Seek(0, 0));
        EXPECT_EQ(m.GetC(), 255);
        for (int32_t i = 1; i < at; ++i)
            ASSERT_EQ(m.GetC(), 0) << at << " " << i;
        EXPECT_EQ(m.GetC(), 'z');
        EXPECT_EQ(m.GetC(), -1);
    }
}

TEST(CxIOFile, WritesReadsAndClosesOnlyItsOwnFile) {
    CxIOFile f;
    CxMemFile m;
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_EQ(m.Tell(), -1);
    TempDir dir;
    const std::string path = dir.File("cxiofile.bin");
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    EXPECT_FALSE(f.Open(path.c_str(), "rb")) << "a file is attached";
    EXPECT_EQ(f.Write("\x01\x02\x03\x04\x05\x06\x07\x08", 4, 2), 2u);
    EXPECT_TRUE(f.PutC(0xFF) && f.Close());
    ASSERT_TRUE(f.Open(path.c_str(), "rb") && f.Seek(8, 0) && f.Seek(-1, 1));
    EXPECT_EQ(f.Size(), 9);
    EXPECT_EQ(f.GetC(), 8) << "Size kept the position";
    EXPECT_EQ(f.GetC(), 255);
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_TRUE(f.Close());

    FILE* handed = std::tmpfile();
    CxIOFile g(handed);
    EXPECT_TRUE(g.Close() && g.IsOpen());
    EXPECT_FALSE(g.Open(path.c_str(), "wb"));
    EXPECT_EQ(g.Write("ab", 1, 2), 2u) << "still open";
    EXPECT_EQ(std::fclose(handed), 0);
}

}  // namespace
