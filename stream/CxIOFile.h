#pragma once

#include <cstdio>

#include "stream/CxFile.h"

// A stream over a standard I/O FILE. A file handed to the constructor is the
// caller's and is never closed here; one opened by Open is.
class CxIOFile : public CxFile {
public:
    explicit CxIOFile(FILE* file = nullptr);
    ~CxIOFile() override;
    CxIOFile(const CxIOFile&) = delete;
    CxIOFile& operator=(const CxIOFile&) = delete;

    bool Open(const char* name, const char* mode);
    // True while a file is attached, owned or not.
    bool IsOpen() const { return m_pFile != nullptr; }

    bool Close() override;
    uint32_t Read(void* buffer, uint32_t size, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t size, uint32_t count) override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    int32_t Error() override;
    bool PutC(uint8_t c) override;
    int32_t GetC() override;

protected:
    FILE* m_pFile;
    bool m_bOwnsFile;
};
