#include "commandlist/CommandListStore.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "stream/CxIOFile.h"
#include "stream/FileSystem.h"

namespace {

// A stream handed a file of its own keeps it; the failure it reports would
// then belong to an older operation.
bool StreamFree(CxIOFile& file) {
    file.Close();
    return !file.IsOpen();
}

}  // namespace

std::string CommandListPath(const std::string& folder) {
    return JoinPath(folder, kCommandListFileName);
}

bool CommandListFileExists(const std::string& folder) {
    struct stat st {};
    return lstat(CommandListPath(folder).c_str(), &st) == 0;
}

orvane::Result SaveCommandListFile(CxIOFile& file, const std::string& folder,
                                   const CommandListHeader& header,
                                   const std::vector<CommandRecord>& records) {
    const std::string path = CommandListPath(folder);
    if (!StreamFree(file)) {
        return orvane::Result::Failed(path, EBUSY);
    }
    return SaveCommandList(file, path, header, records);
}

orvane::Result LoadCommandListFile(CxIOFile& file, const std::string& path,
                                   CommandListHeader& header, std::vector<CommandRecord>& records,
                                   CommandListLoad* load) {
    if (!StreamFree(file)) {
        return orvane::Result::Failed(path, EBUSY);
    }
    CommandListHeader loadedHeader{};
    std::vector<CommandRecord> loaded;
    CommandListLoad counts;
    orvane::Result result = LoadCommandList(file, path, loadedHeader, loaded, counts);
    // A read error ends the records early: that is a failure, not a short file.
    if (!file.Failure().ok()) {
        return file.Failure();
    }
    if (!result) {
        return result;
    }
    header = loadedHeader;
    records = std::move(loaded);
    if (load != nullptr) {
        *load = counts;
    }
    return {};
}
