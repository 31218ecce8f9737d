#include "commandlist/CommandListFile.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "stream/CxIOFile.h"

// The layout is little-endian and written straight from memory.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(CommandRecord) == 16);

namespace {

constexpr int32_t kComCount = 8;
constexpr int32_t kBaudCount = 13;
constexpr int32_t kDataBitCount = 4;
constexpr int32_t kStopBitCount = 2;
constexpr int32_t kParityCount = 3;
constexpr int32_t kModelCount = 2;
constexpr int32_t kAddressCount = 225;
constexpr int kTempAttempts = 100;

bool InList(int32_t index, int32_t count) {
    return index >= 0 && index < count;
}

template <typename T>
bool WriteItem(CxIOFile& file, const T& item) {
    return file.Write(&item, sizeof item, 1) == 1;
}

template <typename T>
bool ReadItem(CxIOFile& file, T& item) {
    return file.Read(&item, sizeof item, 1) == 1;
}

// Opens a fresh file beside `path` ("x": never reuses an existing one).
bool OpenTemporary(CxIOFile& file, const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        tempPath = path + "." + std::to_string(getpid()) + "." + std::to_string(counter++) + ".tmp";
        errno = 0;
        if (file.Open(tempPath.c_str(), "wbx")) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool WriteAll(CxIOFile& file, const CommandListHeader& header,
              const std::vector<CommandRecord>& records) {
    if (!WriteItem(file, header.port) || !WriteItem(file, header.ptz) ||
        !WriteItem(file, header.ctrlRate) || !WriteItem(file, header.cmdInterval) ||
        !WriteItem(file, header.count)) {
        return false;
    }
    for (const CommandRecord& record : records) {
        if (file.Write(&record, 1, sizeof record) != sizeof record) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool HeaderIndexesValid(const CommandListHeader& header) {
    return InList(header.port.comIndex, kComCount) && InList(header.port.baudIndex, kBaudCount) &&
           InList(header.port.dataBitIndex, kDataBitCount) &&
           InList(header.port.stopBitIndex, kStopBitCount) &&
           InList(header.port.parityIndex, kParityCount) &&
           InList(header.ptz.modelIndex, kModelCount) &&
           InList(header.ptz.addressIndex, kAddressCount);
}

bool SaveCommandList(CxIOFile& file, const std::string& path, CommandListHeader header,
                     const std::vector<CommandRecord>& records) {
    if (records.size() > static_cast<std::size_t>(INT32_MAX)) {
        return false;
    }
    file.Close();
    if (file.IsOpen()) {
        return false;
    }
    header.port.reserved = 0;
    header.ptz.reserved = 0;
    header.count = static_cast<int32_t>(records.size());

    // The old file is replaced only by a complete new one: a failed save
    // must not leave a truncated file where a good one was.
    std::string tempPath;
    if (!OpenTemporary(file, path, tempPath)) {
        return false;
    }
    const bool written = WriteAll(file, header, records);
    // Close flushes; its failure means bytes never reached the file.
    const bool closed = file.Close();
    if (!written || !closed || std::rename(tempPath.c_str(), path.c_str()) != 0) {
        std::remove(tempPath.c_str());
        return false;
    }
    return true;
}

bool LoadCommandList(CxIOFile& file, const std::string& path, CommandListHeader& header,
                     std::vector<CommandRecord>& records, CommandListLoad& load, int32_t maxRows) {
    file.Close();
    if (file.IsOpen() || !file.Open(path.c_str(), "rb")) {
        return false;
    }
    CommandListHeader loaded{};
    if (!ReadItem(file, loaded.port) || !ReadItem(file, loaded.ptz) ||
        !ReadItem(file, loaded.ctrlRate) || !ReadItem(file, loaded.cmdInterval) ||
        !ReadItem(file, loaded.count) || !HeaderIndexesValid(loaded)) {
        file.Close();
        return false;
    }
    loaded.port.reserved = 0;
    loaded.ptz.reserved = 0;

    // The count is only a claim: memory is taken for what the file holds and
    // the list takes, never for the count. An unknown size reads up to the limit.
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(path, error);
    const int64_t held =
        error ? int64_t{INT32_MAX}
              : static_cast<int64_t>((bytes - std::min<std::uintmax_t>(bytes, sizeof loaded)) /
                                     sizeof(CommandRecord));
    const int64_t claimed = std::min<int64_t>(std::max(loaded.count, 0), held);
    const int64_t wanted = std::min<int64_t>(claimed, std::max(maxRows, 0));
    std::vector<CommandRecord> loadedRecords;
    try {
        loadedRecords.resize(static_cast<std::size_t>(wanted));
    } catch (const std::bad_alloc&) {
        file.Close();
        return false;
    }
    const uint32_t read = wanted == 0 ? 0
                                      : file.Read(loadedRecords.data(), sizeof(CommandRecord),
                                                  static_cast<uint32_t>(wanted));
    loadedRecords.resize(read);
    file.Close();
    header = loaded;
    records = std::move(loadedRecords);
    load.loaded = static_cast<int32_t>(read);
    load.leftOut = read == wanted ? claimed - wanted : 0;
    return true;
}

bool LoadCommandList(CxIOFile& file, const std::string& path, CommandListHeader& header,
                     std::vector<CommandRecord>& records) {
    CommandListLoad load;
    return LoadCommandList(file, path, header, records, load);
}
