#include "stream/CxMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kGrowStep = 4096;

}  // namespace

CxMemFile::CxMemFile(uint8_t* buffer, uint32_t size)
    : m_pData(buffer), m_nLength(0), m_bOwnsData(buffer == nullptr), m_nPos(0), m_nCapacity(0) {
    // Without a buffer a size means nothing; with one, positions are 32-bit
    // signed, so anything past that is out of reach rather than wrapped.
    if (buffer != nullptr) {
        m_nLength = m_nCapacity = size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
    }
}

CxMemFile::~CxMemFile() {
    CxMemFile::Close();
}

bool CxMemFile::Open() {
    if (m_pData != nullptr) {
        return false;
    }
    m_nCapacity = 0;
    m_nLength = 0;
    m_nPos = 0;
    m_pData = static_cast<uint8_t*>(std::malloc(1));
    m_bOwnsData = true;
    return m_pData != nullptr;
}

uint8_t* CxMemFile::GetBuffer(bool detach) {
    m_bOwnsData = !detach;
    return m_pData;
}

bool CxMemFile::Close() {
    if (m_pData != nullptr && m_bOwnsData) {
        std::free(m_pData);
        m_pData = nullptr;
        m_nLength = 0;
        // A released block has no room left; keeping its size would let a
        // later Alloc believe a missing buffer is big enough.
        m_nCapacity = 0;
    }
    return true;
}

void CxMemFile::Free() {
    Close();
}

bool CxMemFile::Alloc(uint32_t needed) {
    if (m_pData != nullptr && needed <= static_cast<uint32_t>(m_nCapacity)) {
        return true;
    }
    // Someone else's buffer is never moved or resized under them.
    if (m_pData != nullptr && !m_bOwnsData) {
        return false;
    }
    const uint64_t capacity = (uint64_t{needed} / kGrowStep) * kGrowStep + kGrowStep;
    if (capacity > INT32_MAX) {
        return false;
    }
    void* block = m_pData == nullptr ? std::malloc(capacity) : std::realloc(m_pData, capacity);
    if (block == nullptr) {
        return false;
    }
    m_pData = static_cast<uint8_t*>(block);
    m_nCapacity = static_cast<int32_t>(capacity);
    m_bOwnsData = true;
    return true;
}

uint32_t CxMemFile::Read(void* buffer, uint32_t size, uint32_t count) {
    if (buffer == nullptr || m_pData == nullptr || m_nPos >= m_nLength || size == 0 || count == 0) {
        return 0;
    }
    uint64_t n = uint64_t{size} * count;
    const uint64_t left = static_cast<uint64_t>(m_nLength - m_nPos);
    if (n > left) {
        n = left;
    }
    std::memcpy(buffer, m_pData + m_nPos, n);
    m_nPos += static_cast<int32_t>(n);
    // A trailing partial item is consumed but not counted, as fread does.
    return static_cast<uint32_t>(n / size);
}

bool CxMemFile::Reserve(uint64_t end) {
    if (end > INT32_MAX) {
        return false;
    }
    if (end > static_cast<uint64_t>(m_nCapacity) && !Alloc(static_cast<uint32_t>(end))) {
        return false;
    }
    // Bytes skipped by a seek past the end read back as zeros, as a hole in
    // a file does, never as whatever the allocator left there.
    if (m_nPos > m_nLength) {
        std::memset(m_pData + m_nLength, 0, static_cast<size_t>(m_nPos - m_nLength));
    }
    return true;
}

uint32_t CxMemFile::Write(const void* buffer, uint32_t size, uint32_t count) {
    if (m_pData == nullptr || buffer == nullptr || size == 0 || count == 0) {
        return 0;
    }
    const uint64_t n = uint64_t{size} * count;
    if (!Reserve(static_cast<uint64_t>(m_nPos) + n)) {
        return 0;
    }
    std::memcpy(m_pData + m_nPos, buffer, n);
    m_nPos += static_cast<int32_t>(n);
    if (m_nLength < m_nPos) {
        m_nLength = m_nPos;
    }
    return count;
}

bool CxMemFile::PutC(uint8_t c) {
    if (m_pData == nullptr || !Reserve(static_cast<uint64_t>(m_nPos) + 1)) {
        return false;
    }
    m_pData[m_nPos++] = c;
    if (m_nLength < m_nPos) {
        m_nLength = m_nPos;
    }
    return true;
}

bool CxMemFile::Seek(int32_t offset, int origin) {
    if (m_pData == nullptr) {
        return false;
    }
    int64_t position = 0;
    switch (origin) {
        case 0:
            position = offset;
            break;
        case 1:
            position = int64_t{m_nPos} + offset;
            break;
        case 2:
            position = int64_t{m_nLength} + offset;
            break;
        default:
            return false;
    }
    if (position < 0) {
        position = 0;
    }
    // Past the end is allowed, past what a 32-bit position can say is not.
    if (position > INT32_MAX) {
        return false;
    }
    m_nPos = static_cast<int32_t>(position);
    return true;
}

int32_t CxMemFile::Tell() {
    return m_pData == nullptr ? -1 : m_nPos;
}

int32_t CxMemFile::Size() {
    return m_pData == nullptr ? -1 : m_nLength;
}

bool CxMemFile::Flush() {
    return m_pData != nullptr;
}

bool CxMemFile::Eof() {
    return m_pData == nullptr || m_nPos >= m_nLength;
}

int32_t CxMemFile::Error() {
    if (m_pData == nullptr) {
        return -1;
    }
    return m_nPos > m_nLength ? 1 : 0;
}

int32_t CxMemFile::GetC() {
    if (Eof()) {
        return -1;
    }
    return m_pData[m_nPos++];
}
