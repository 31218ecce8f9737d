#include "commandlist/CommandListFile.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>
#include <system_error>
#include <utility>

#include "commandlist/SelectionTables.h"
#include "stream/CxIOFile.h"

// The layout is little-endian and written straight from memory.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(CommandRecord) == 16);

namespace {

template <typename T>
bool WriteItem(CxIOFile& file, const T& item) {
    return file.Write(&item, sizeof item, 1) == 1;
}

template <typename T>
bool ReadItem(CxIOFile& file, T& item) {
    return file.Read(&item, sizeof item, 1) == 1;
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

orvane::Result NotListFile(const std::string& path) {
    return orvane::Result::Failed(path, EINVAL, kNotCommandListFile);
}

}  // namespace

bool HeaderIndexesValid(const CommandListHeader& header) {
    // The combos are filled from the same tables, so an index that passes
    // here always names an entry.
    return InTable(kPortNumbers, header.port.comIndex) &&
           InTable(kBaudRates, header.port.baudIndex) &&
           InTable(kDataBits, header.port.dataBitIndex) &&
           InTable(kStopBits, header.port.stopBitIndex) &&
           InTable(kParities, header.port.parityIndex) &&
           PtzSelectionValid(header.ptz.modelIndex, header.ptz.addressIndex);
}

orvane::Result SaveCommandList(CxIOFile& file, const std::string& path, CommandListHeader header,
                               const std::vector<CommandRecord>& records) {
    if (records.size() > static_cast<std::size_t>(INT32_MAX)) {
        return orvane::Result::Failed(path, EFBIG);
    }
    file.Close();
    if (file.IsOpen()) {
        return orvane::Result::Failed(path, EBUSY);
    }
    header.port.reserved = 0;
    header.ptz.reserved = 0;
    header.count = static_cast<int32_t>(records.size());

    // The old file is replaced only by a complete new one that is on disk:
    // a failed save must not leave a truncated file where a good one was.
    orvane::Result opened = file.OpenReplacing(path.c_str());
    if (!opened) {
        return opened;
    }
    if (!WriteAll(file, header, records)) {
        file.Close();
        return file.Failure();
    }
    return file.Commit();
}

orvane::Result LoadCommandList(CxIOFile& file, const std::string& path, CommandListHeader& header,
                               std::vector<CommandRecord>& records, CommandListLoad& load,
                               int32_t maxRows) {
    file.Close();
    if (file.IsOpen()) {
        return orvane::Result::Failed(path, EBUSY);
    }
    orvane::Result opened = file.OpenForRead(path.c_str());
    if (!opened) {
        return opened;
    }
    CommandListHeader loaded{};
    if (!ReadItem(file, loaded.port) || !ReadItem(file, loaded.ptz) ||
        !ReadItem(file, loaded.ctrlRate) || !ReadItem(file, loaded.cmdInterval) ||
        !ReadItem(file, loaded.count) || !HeaderIndexesValid(loaded)) {
        file.Close();
        return NotListFile(path);
    }
    loaded.port.reserved = 0;
    loaded.ptz.reserved = 0;

    // The count is only a claim: memory is taken for what the file holds and
    // the list takes, never for the count. The size is the open file's: the
    // path may name another file by now. An unknown size reads up to the limit.
    const int32_t bytes = file.Size();
    const int64_t held = bytes < 0 ? int64_t{INT32_MAX}
                                   : (bytes - std::min<int64_t>(bytes, sizeof loaded)) /
                                         int64_t{sizeof(CommandRecord)};
    const int64_t promised = std::max(loaded.count, 0);
    const int64_t claimed = std::min<int64_t>(promised, held);
    const int64_t wanted = std::min<int64_t>(claimed, std::max(maxRows, 0));
    std::vector<CommandRecord> loadedRecords;
    try {
        loadedRecords.resize(static_cast<std::size_t>(wanted));
    } catch (const std::bad_alloc&) {
        file.Close();
        return NotListFile(path);
    }
    const uint32_t read = wanted == 0 ? 0
                                      : file.Read(loadedRecords.data(), sizeof(CommandRecord),
                                                  static_cast<uint32_t>(wanted));
    loadedRecords.resize(read);
    file.Close();
    header = loaded;
    records = std::move(loadedRecords);
    // What the file really held: all it claimed, or what came before it ran out.
    const int64_t available = read == wanted ? claimed : read;
    load.loaded = static_cast<int32_t>(read);
    load.leftOut = available - read;
    load.missing = promised - available;
    return {};
}

orvane::Result LoadCommandList(CxIOFile& file, const std::string& path, CommandListHeader& header,
                               std::vector<CommandRecord>& records) {
    CommandListLoad load;
    return LoadCommandList(file, path, header, records, load);
}
