#include "stream/CxIOFile.h"

#include <cstdint>

namespace {

// The origins are the stream's own numbers; map them rather than rely on
// the C library using the same values.
bool ToStdOrigin(int origin, int& out) {
    switch (origin) {
        case 0:
            out = SEEK_SET;
            return true;
        case 1:
            out = SEEK_CUR;
            return true;
        case 2:
            out = SEEK_END;
            return true;
        default:
            return false;
    }
}

// Positions are 32-bit; a file position beyond that cannot be reported.
int32_t To32(long position) {
    if (position < 0 || position > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(position);
}

}  // namespace

CxIOFile::CxIOFile(FILE* file) : m_pFile(file), m_bOwnsFile(file == nullptr) {}

CxIOFile::~CxIOFile() {
    if (m_pFile != nullptr && m_bOwnsFile) {
        std::fclose(m_pFile);
    }
}

bool CxIOFile::Open(const char* name, const char* mode) {
    if (m_pFile != nullptr || name == nullptr || mode == nullptr) {
        return false;
    }
    m_pFile = std::fopen(name, mode);
    if (m_pFile == nullptr) {
        return false;
    }
    m_bOwnsFile = true;
    return true;
}

bool CxIOFile::Close() {
    if (m_pFile == nullptr || !m_bOwnsFile) {
        return true;
    }
    const int result = std::fclose(m_pFile);
    m_pFile = nullptr;
    return result == 0;
}

uint32_t CxIOFile::Read(void* buffer, uint32_t size, uint32_t count) {
    if (m_pFile == nullptr || buffer == nullptr || size == 0 || count == 0) {
        return 0;
    }
    return static_cast<uint32_t>(std::fread(buffer, size, count, m_pFile));
}

uint32_t CxIOFile::Write(const void* buffer, uint32_t size, uint32_t count) {
    if (m_pFile == nullptr || buffer == nullptr || size == 0 || count == 0) {
        return 0;
    }
    return static_cast<uint32_t>(std::fwrite(buffer, size, count, m_pFile));
}

bool CxIOFile::Seek(int32_t offset, int origin) {
    int stdOrigin = 0;
    if (m_pFile == nullptr || !ToStdOrigin(origin, stdOrigin)) {
        return false;
    }
    return std::fseek(m_pFile, offset, stdOrigin) == 0;
}

int32_t CxIOFile::Tell() {
    if (m_pFile == nullptr) {
        return 0;
    }
    return To32(std::ftell(m_pFile));
}

int32_t CxIOFile::Size() {
    if (m_pFile == nullptr) {
        return -1;
    }
    const long position = std::ftell(m_pFile);
    if (position < 0 || std::fseek(m_pFile, 0, SEEK_END) != 0) {
        return -1;
    }
    const long size = std::ftell(m_pFile);
    // Put the position back even when the size itself could not be taken.
    const bool restored = std::fseek(m_pFile, position, SEEK_SET) == 0;
    return restored ? To32(size) : -1;
}

bool CxIOFile::Flush() {
    if (m_pFile == nullptr) {
        return false;
    }
    return std::fflush(m_pFile) == 0;
}

bool CxIOFile::Eof() {
    if (m_pFile == nullptr) {
        return true;
    }
    return std::feof(m_pFile) != 0;
}

int32_t CxIOFile::Error() {
    if (m_pFile == nullptr) {
        return -1;
    }
    return std::ferror(m_pFile) != 0 ? 1 : 0;
}

bool CxIOFile::PutC(uint8_t c) {
    if (m_pFile == nullptr) {
        return false;
    }
    return std::fputc(c, m_pFile) == c;
}

int32_t CxIOFile::GetC() {
    if (m_pFile == nullptr) {
        return -1;
    }
    const int c = std::fgetc(m_pFile);
    return c == EOF ? -1 : c;
}
