#pragma once

#include <cstdint>

// A byte stream in the standard I/O model: Read/Write move whole items,
// Seek origins are 0 (start), 1 (current) and 2 (end), GetC gives 0..255 or
// -1. Positions, sizes and counts are 32-bit.
class CxFile {
public:
    virtual ~CxFile() {}
    virtual bool Close() = 0;
    virtual uint32_t Read(void* buffer, uint32_t size, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t size, uint32_t count) = 0;
    virtual bool Seek(int32_t offset, int origin) = 0;
    virtual int32_t Tell() = 0;
    virtual int32_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual int32_t Error() = 0;
    virtual bool PutC(uint8_t c) { return Write(&c, 1, 1) == 1; }
    virtual int32_t GetC() = 0;
};
