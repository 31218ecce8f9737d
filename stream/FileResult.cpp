#include "stream/FileResult.h"

#include <cerrno>
#include <cstring>

FileResult FileResult::Failed(std::string path, int error, std::string reason) {
    FileResult r;
    r.error = error != 0 ? error : EIO;
    r.path = std::move(path);
    r.reason = reason.empty() ? std::strerror(r.error) : std::move(reason);
    return r;
}
