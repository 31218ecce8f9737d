#include "stream/CxMemFile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Opens the protected parts the growth rules are stated in.
class MemFile : public CxMemFile {
  public:
    using CxMemFile::Alloc;
    using CxMemFile::CxMemFile;
    int32_t Capacity() const { return m_nCapacity; }
    bool Owns() const { return m_bOwnsData; }
    // Stands in for whatever an allocator leaves in fresh memory.
    void Scribble(uint8_t value) { std::memset(m_pData, value, static_cast<size_t>(m_nCapacity)); }
};

// An owned stream holding `content`, positioned at `pos`.
void Fill(CxMemFile& file, const std::string& content, int32_t pos) {
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write(content.data(), 1, static_cast<uint32_t>(content.size())), content.size());
    ASSERT_TRUE(file.Seek(pos, 0));
}

TEST(CxMemFile, AllocGrowsInWholeStepsAboveWhatIsNeeded) {
    struct Row {
        const char* what;
        uint32_t given;  // size of an owned starting buffer; 0 = opened empty
        uint32_t needed;
        bool ok;
        int32_t capacity;
    };
    const Row rows[] = {
        {"4095 needs one step", 0, 4095, true, 4096},
        {"4096 needs a second step", 0, 4096, true, 8192},
        {"10 needs one step", 0, 10, true, 4096},
        {"capacity 4000 asked for 4096", 4000, 4096, true, 8192},
        {"enough room leaves it alone", 4000, 4000, true, 4000},
        {"growth past 32-bit positions refused", 4000, 0x7FFFF000u, false, 4000},
        {"need above the signed range refused", 4000, 0xFFFFFFFFu, false, 4000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<MemFile> file;
        if (row.given == 0) {
            file = std::make_unique<MemFile>();
            ASSERT_TRUE(file->Open());
        } else {
            auto* block = static_cast<uint8_t*>(std::malloc(row.given));
            ASSERT_NE(block, nullptr);
            std::memset(block, 0x5A, row.given);
            file = std::make_unique<MemFile>(block, row.given);
            file->GetBuffer(false);
        }
        EXPECT_EQ(file->Alloc(row.needed), row.ok);
        EXPECT_EQ(file->Capacity(), row.capacity);
        if (row.given != 0) {
            // Growth keeps the content; a refusal keeps the old block.
            EXPECT_EQ(file->GetBuffer(false)[row.given - 1], 0x5A);
            EXPECT_EQ(file->Size(), static_cast<int32_t>(row.given));
        }
    }
}

TEST(CxMemFile, FirstWriteAfterOpenGrowsToOneStep) {
    MemFile file;
    const uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(file.Write(data, 1, 10), 0u) << "no buffer before Open";
    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(file.Open()) << "a buffer is already attached";
    EXPECT_EQ(file.Write(data, 1, 10), 10u);
    EXPECT_EQ(file.Capacity(), 4096);
    EXPECT_EQ(file.Size(), 10);
    EXPECT_EQ(file.Tell(), 10);
}

TEST(CxMemFile, ReadCountsWholeItemsOnly) {
    struct Row {
        const char* what;
        uint32_t size;
        uint32_t count;
        uint32_t items;
        int32_t advance;
    };
    // Ten bytes are left from position 2.
    const Row rows[] = {
        {"three of four with ten left", 4, 3, 2, 10},
        {"exact fit", 5, 2, 2, 10},
        {"fewer than left", 3, 2, 2, 6},
        {"single bytes", 1, 100, 10, 10},
        {"item larger than what is left", 11, 1, 0, 10},
        {"size zero", 0, 5, 0, 0},
        {"count zero", 4, 0, 0, 0},
        {"size times count wraps 32 bits", 0x10000, 0x10000, 0, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CxMemFile file;
        Fill(file, "xy0123456789", 2);
        std::vector<uint8_t> out(16, 0xEE);
        EXPECT_EQ(file.Read(out.data(), row.size, row.count), row.items);
        EXPECT_EQ(file.Tell(), 2 + row.advance);
        EXPECT_EQ(std::string(out.begin(), out.begin() + row.advance),
                  std::string("0123456789").substr(0, static_cast<size_t>(row.advance)));
        EXPECT_EQ(out[static_cast<size_t>(row.advance)], 0xEE)
            << "nothing copied past the bytes read";
    }
}

TEST(CxMemFile, SeekClampsBelowStartAndAllowsPastEnd) {
    struct Row {
        const char* what;
        int32_t offset;
        int origin;
        bool ok;
        int32_t pos;
    };
    // Ten bytes of content, position 4.
    const Row rows[] = {
        {"from start", 3, 0, true, 3},
        {"below start becomes 0", -5, 0, true, 0},
        {"from current", 2, 1, true, 6},
        {"before start from current", -100, 1, true, 0},
        {"from end", -2, 2, true, 8},
        {"past the end", 5, 2, true, 15},
        {"origin 3", 0, 3, false, 4},
        {"origin -1", 0, -1, false, 4},
        {"beyond a 32-bit position", INT32_MAX, 1, false, 4},
        {"largest position", INT32_MAX, 0, true, INT32_MAX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CxMemFile file;
        Fill(file, "0123456789", 4);
        EXPECT_EQ(file.Seek(row.offset, row.origin), row.ok);
        EXPECT_EQ(file.Tell(), row.pos);
        EXPECT_EQ(file.Size(), 10) << "a seek never changes the content";
    }
}

TEST(CxMemFile, EndAndErrorFollowThePosition) {
    struct Row {
        const char* what;
        int32_t pos;
        bool eof;
        int32_t error;
        int32_t getc;
    };
    const Row rows[] = {
        {"inside", 3, false, 0, '3'},
        {"at the end", 10, true, 0, -1},
        {"past the end", 12, true, 1, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CxMemFile file;
        Fill(file, "0123456789", row.pos);
        EXPECT_EQ(file.Eof(), row.eof);
        EXPECT_EQ(file.Error(), row.error);
        uint8_t byte = 0;
        EXPECT_EQ(file.Read(&byte, 1, 1), row.eof ? 0u : 1u);
        ASSERT_TRUE(file.Seek(row.pos, 0));
        EXPECT_EQ(file.GetC(), row.getc);
    }
}

TEST(CxMemFile, GetCGivesBytesAsUnsigned) {
    const uint8_t bytes[] = {0x00, 0x7F, 0x80, 0xFF};
    CxMemFile file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write(bytes, 1, 4), 4u);
    ASSERT_TRUE(file.Seek(0, 0));
    for (uint8_t expected : bytes) {
        EXPECT_EQ(file.GetC(), expected);
    }
    EXPECT_EQ(file.GetC(), -1);
    EXPECT_EQ(file.Tell(), 4) << "a failed GetC does not move";
}

TEST(CxMemFile, GapLeftBySeekPastEndReadsAsZeros) {
    struct Row {
        const char* what;
        int32_t seekTo;
        bool putc;
    };
    const Row rows[] = {
        {"write inside the capacity", 100, false},
        {"put inside the capacity", 100, true},
        {"write that needs growth", 5000, false},
        {"put that needs growth", 9000, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemFile file;
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Alloc(64));
        file.Scribble(0xAA);
        ASSERT_EQ(file.Write("ab", 1, 2), 2u);
        ASSERT_TRUE(file.Seek(row.seekTo, 0));
        if (row.putc) {
            ASSERT_TRUE(file.PutC('z'));
        } else {
            ASSERT_EQ(file.Write("z", 1, 1), 1u);
        }
        ASSERT_EQ(file.Size(), row.seekTo + 1);
        std::vector<uint8_t> back(static_cast<size_t>(row.seekTo + 1));
        ASSERT_TRUE(file.Seek(0, 0));
        ASSERT_EQ(file.Read(back.data(), 1, static_cast<uint32_t>(back.size())), back.size());
        EXPECT_EQ(back[0], 'a');
        EXPECT_EQ(back[1], 'b');
        EXPECT_EQ(back.back(), 'z');
        for (size_t i = 2; i + 1 < back.size(); ++i) {
            ASSERT_EQ(back[i], 0) << "byte " << i;
        }
    }
}

TEST(CxMemFile, GivenBufferIsFullNeverGrownNorReleased) {
    std::array<uint8_t, 16> buffer{};
    for (size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<uint8_t>(i);
    }
    const std::array<uint8_t, 16> original = buffer;
    MemFile file(buffer.data(), buffer.size());
    EXPECT_EQ(file.Size(), 16) << "its whole size is content";
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_FALSE(file.Open()) << "a buffer is attached";

    struct Row {
        const char* what;
        int32_t pos;
        uint32_t size;
        uint32_t count;
    };
    const Row refused[] = {
        {"one byte too many", 8, 1, 9},
        {"at the end", 16, 1, 1},
        {"past the end", 40, 2, 2},
        {"size times count wraps 32 bits", 0, 0x10000, 0x10000},
    };
    for (const Row& row : refused) {
        SCOPED_TRACE(row.what);
        const uint8_t junk[32] = {0xEE};
        ASSERT_TRUE(file.Seek(row.pos, 0));
        EXPECT_EQ(file.Write(junk, row.size, row.count), 0u);
        EXPECT_EQ(file.Tell(), row.pos);
        EXPECT_EQ(file.Size(), 16);
        EXPECT_EQ(buffer, original);
    }
    ASSERT_TRUE(file.Seek(16, 0));
    EXPECT_FALSE(file.PutC(0xEE));
    EXPECT_EQ(file.GetBuffer(true), buffer.data()) << "never moved";

    ASSERT_TRUE(file.Seek(14, 0));
    EXPECT_EQ(file.Write("\xA1\xA2", 1, 2), 2u) << "what fits is written";
    EXPECT_EQ(buffer[15], 0xA2);

    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.Size(), 16) << "Close leaves a given buffer attached";
    EXPECT_EQ(file.GetBuffer(true), buffer.data());
}

TEST(CxMemFile, OwnershipDecidesWhoReleases) {
    // Handed over with GetBuffer(false): the stream owns, grows and frees it
    // (a leak or a double free shows under the sanitizers).
    auto* given = static_cast<uint8_t*>(std::malloc(16));
    ASSERT_NE(given, nullptr);
    std::memset(given, 7, 16);
    {
        MemFile file(given, 16);
        EXPECT_FALSE(file.Owns());
        EXPECT_EQ(file.GetBuffer(false), given);
        ASSERT_TRUE(file.Seek(16, 0));
        EXPECT_EQ(file.Write("more", 1, 4), 4u) << "an owned buffer may grow";
        EXPECT_EQ(file.Capacity(), 4096);
        EXPECT_EQ(file.Size(), 20);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(file.Size(), -1);
        EXPECT_EQ(file.Tell(), -1);
        EXPECT_EQ(file.Write("x", 1, 1), 0u) << "released until opened again";
        EXPECT_TRUE(file.Open());
    }

    // Detached: the stream no longer frees or grows it; the caller does.
    uint8_t* taken = nullptr;
    {
        MemFile file;
        ASSERT_TRUE(file.Open());
        ASSERT_EQ(file.Write("keep", 1, 4), 4u);
        taken = file.GetBuffer(true);
        ASSERT_TRUE(file.Seek(4096, 0));
        EXPECT_EQ(file.Write("x", 1, 1), 0u);
    }
    EXPECT_EQ(std::memcmp(taken, "keep", 4), 0);
    std::free(taken);
}

TEST(CxMemFile, WithoutBufferEverythingFails) {
    CxMemFile file;
    uint8_t byte = 0;
    EXPECT_EQ(file.Tell(), -1);
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
}

TEST(CxMemFile, WritesNearTheLargestPositionAreRefused) {
    CxMemFile file;
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Seek(INT32_MAX - 1, 0));
    EXPECT_EQ(file.Write("abcd", 1, 4), 0u);
    ASSERT_TRUE(file.Seek(INT32_MAX, 0));
    EXPECT_FALSE(file.PutC('a'));
    EXPECT_EQ(file.Size(), 0);
}

}  // namespace
