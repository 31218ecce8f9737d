// The command list loader over any file content: it must accept only whole,
// valid headers and never return more records than the file holds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "commandlist/CommandListFile.h"
#include "stream/CxIOFile.h"

namespace {
std::string TempPath() {
    static const std::string path = "/tmp/orvane-fuzz-cmdfile-" + std::to_string(getpid()) + ".cfg";
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = TempPath();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);

    CxIOFile file;
    CommandListHeader header{};
    header.count = -12345;
    std::vector<CommandRecord> records;
    const bool ok = LoadCommandList(file, path, header, records).ok();
    if (!ok) {
        if (header.count != -12345 || !records.empty())
            __builtin_trap();
        return 0;
    }
    if (size < sizeof(CommandListHeader) || !HeaderIndexesValid(header))
        __builtin_trap();
    const size_t present = (size - sizeof(CommandListHeader)) / sizeof(CommandRecord);
    const size_t wanted = header.count > 0 ? static_cast<size_t>(header.count) : 0;
    if (records.size() != (present < wanted ? present : wanted))
        __builtin_trap();
    return 0;
}
