#pragma once

#include <cstdio>
#include <string>

#include "platform/Result.h"
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
    // Opens an existing regular file for binary reading. Anything else (a
    // FIFO, a device, a folder) is refused without waiting on it.
    orvane::Result OpenForRead(const char* name);
    // Opens a new version of `name` for binary writing: a temporary in the
    // folder of the file `name` leads to through its links, with that file's
    // permission bits. Commit puts it in place; Close without Commit, or a
    // failed Commit, removes it, so the old file stays as it was.
    orvane::Result OpenReplacing(const char* name);
    // Flushes the new version to disk, renames it over the file and flushes
    // the folder. Fails when anything failed or nothing was being replaced;
    // only a failed flush of the folder leaves the new version in place.
    orvane::Result Commit();
    // The first failure since the last Open*; ok when there was none.
    const orvane::Result& Failure() const { return m_failure; }
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

private:
    void Fail(const std::string& path, int error, const char* reason = nullptr);
    void FailNotRegular(unsigned mode);
    void DiscardReplacement();

    std::string m_strPath;      // as opened; the target when replacing
    std::string m_strTempPath;  // the new version being written, or empty
    orvane::Result m_failure;
};
