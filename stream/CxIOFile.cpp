#include "stream/CxIOFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "stream/FileSystem.h"

namespace {

// For a path that names something other than a regular file (a FIFO, a
// device): the system has no errno of its own for that.
constexpr const char* kNotRegularFile = "Not a regular file";

// An attached stream or no name: refused before the system is asked.
orvane::Result Refused(const FILE* file, const char* name) {
    return orvane::Result::Failed(name != nullptr ? name : "", file != nullptr ? EBUSY : EINVAL);
}

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
    DiscardReplacement();
}

void CxIOFile::Fail(const std::string& path, int error, const char* reason) {
    // A short write may leave errno unset; it still failed.
    if (m_failure.ok()) {
        m_failure =
            orvane::Result::Failed(path, error != 0 ? error : EIO, reason != nullptr ? reason : "");
    }
}

void CxIOFile::FailNotRegular(unsigned mode) {
    if (S_ISDIR(mode)) {
        Fail(m_strPath, EISDIR);
    } else {
        Fail(m_strPath, EINVAL, kNotRegularFile);
    }
}

void CxIOFile::DiscardReplacement() {
    if (!m_strTempPath.empty()) {
        unlink(m_strTempPath.c_str());
        m_strTempPath.clear();
    }
}

bool CxIOFile::Open(const char* name, const char* mode) {
    if (m_pFile != nullptr || name == nullptr || mode == nullptr) {
        return false;
    }
    m_failure = {};
    m_strPath = name;
    m_pFile = std::fopen(name, mode);
    if (m_pFile == nullptr) {
        Fail(m_strPath, errno);
        return false;
    }
    m_bOwnsFile = true;
    return true;
}

orvane::Result CxIOFile::OpenForRead(const char* name) {
    if (m_pFile != nullptr || name == nullptr) {
        return Refused(m_pFile, name);
    }
    m_failure = {};
    m_strPath = name;
    // Looked at before the open so that no device or FIFO is opened at all,
    // and again on the descriptor in case the name was swapped in between.
    struct stat st {};
    if (stat(name, &st) != 0) {
        Fail(m_strPath, errno);
        return m_failure;
    }
    if (!S_ISREG(st.st_mode)) {
        FailNotRegular(st.st_mode);
        return m_failure;
    }
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        Fail(m_strPath, errno);
        return m_failure;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        FailNotRegular(st.st_mode);
        close(fd);
        return m_failure;
    }
    // A plain file: reads may block as usual from here on.
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        (m_pFile = fdopen(fd, "rb")) == nullptr) {
        Fail(m_strPath, errno);
        close(fd);
        return m_failure;
    }
    m_bOwnsFile = true;
    return {};
}

orvane::Result CxIOFile::OpenReplacing(const char* name) {
    if (m_pFile != nullptr || name == nullptr) {
        return Refused(m_pFile, name);
    }
    m_failure = {};
    std::string target;
    m_failure = FollowLinks(name, target);
    if (!m_failure.ok()) {
        return m_failure;
    }
    m_strPath = target;
    struct stat st {};
    const bool exists = stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        Fail(target, errno);
        return m_failure;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        FailNotRegular(st.st_mode);
        return m_failure;
    }
    RemoveStaleTemporaries(FolderOf(target), NameOf(target));
    int fd = -1;
    m_failure = CreateTemporary(target, m_strTempPath, fd);
    if (!m_failure.ok()) {
        return m_failure;
    }
    // The owner first: a change of owner may clear the set-id bits. Only
    // root can give a file away, so a refused chown is no failure.
    if (exists) {
        (void)!fchown(fd, st.st_uid, st.st_gid);
    }
    if ((exists && fchmod(fd, st.st_mode & 07777) != 0) ||
        (m_pFile = fdopen(fd, "wb")) == nullptr) {
        Fail(target, errno);
        close(fd);
        DiscardReplacement();
        return m_failure;
    }
    m_bOwnsFile = true;
    return {};
}

orvane::Result CxIOFile::Commit() {
    if (m_pFile == nullptr || m_strTempPath.empty()) {
        return orvane::Result::Failed(m_strPath, EBADF);
    }
    if (std::fflush(m_pFile) != 0 || fsync(fileno(m_pFile)) != 0) {
        Fail(m_strPath, errno);
    }
    if (std::fclose(m_pFile) != 0) {
        Fail(m_strPath, errno);
    }
    m_pFile = nullptr;
    if (m_failure.ok() && rename(m_strTempPath.c_str(), m_strPath.c_str()) != 0) {
        Fail(m_strPath, errno);
    }
    if (!m_failure.ok()) {
        DiscardReplacement();
        return m_failure;
    }
    m_strTempPath.clear();
    m_failure = SyncFolder(FolderOf(m_strPath));
    return m_failure;
}

bool CxIOFile::Close() {
    if (m_pFile == nullptr || !m_bOwnsFile) {
        return true;
    }
    const int result = std::fclose(m_pFile);
    m_pFile = nullptr;
    if (result != 0) {
        Fail(m_strPath, errno);
    }
    DiscardReplacement();
    return result == 0;
}

uint32_t CxIOFile::Read(void* buffer, uint32_t size, uint32_t count) {
    if (m_pFile == nullptr || buffer == nullptr || size == 0 || count == 0) {
        return 0;
    }
    const auto n = static_cast<uint32_t>(std::fread(buffer, size, count, m_pFile));
    if (n < count && std::ferror(m_pFile) != 0) {
        Fail(m_strPath, errno);
    }
    return n;
}

uint32_t CxIOFile::Write(const void* buffer, uint32_t size, uint32_t count) {
    if (m_pFile == nullptr || buffer == nullptr || size == 0 || count == 0) {
        return 0;
    }
    const auto n = static_cast<uint32_t>(std::fwrite(buffer, size, count, m_pFile));
    if (n < count) {
        Fail(m_strPath, errno);
    }
    return n;
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
    if (std::fflush(m_pFile) != 0) {
        Fail(m_strPath, errno);
        return false;
    }
    return true;
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
    if (std::fputc(c, m_pFile) != c) {
        Fail(m_strPath, errno);
        return false;
    }
    return true;
}

int32_t CxIOFile::GetC() {
    if (m_pFile == nullptr) {
        return -1;
    }
    const int c = std::fgetc(m_pFile);
    return c == EOF ? -1 : c;
}
