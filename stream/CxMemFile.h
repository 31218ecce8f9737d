#pragma once

#include <cstdint>

#include "stream/CxFile.h"

// A stream over a memory buffer. A buffer handed to the constructor counts as
// full, is not owned and is never grown: writes that would need more room
// fail. Buffers the stream owns grow in 4096-byte steps.
class CxMemFile : public CxFile {
public:
    explicit CxMemFile(uint8_t* buffer = nullptr, uint32_t size = 0);
    ~CxMemFile() override;
    CxMemFile(const CxMemFile&) = delete;
    CxMemFile& operator=(const CxMemFile&) = delete;

    bool Open();
    uint8_t* GetBuffer(bool detach = true);

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
    // Grows an owned buffer to hold `needed` bytes; false when it cannot.
    bool Alloc(uint32_t needed);
    void Free();

    uint8_t* m_pData;
    int32_t m_nLength;
    bool m_bOwnsData;
    int32_t m_nPos;
    int32_t m_nCapacity;

private:
    // Makes room up to `end` and zeroes any gap left by a seek past the end.
    bool Reserve(uint64_t end);
};
