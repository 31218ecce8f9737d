#pragma once

#include <string>

// How a file operation ended: ok, or the path it failed on with the errno
// and the text to show for it.
struct FileResult {
    int error = 0;       // errno; 0 when the operation succeeded
    std::string path;    // bytes, exactly as handed to the system
    std::string reason;  // strerror(error), or a reason of our own

    bool ok() const { return error == 0; }
    explicit operator bool() const { return ok(); }
    // "path: reason", for a message to the operator.
    std::string Message() const { return path + ": " + reason; }

    // `reason` defaults to the system's text for `error` (never 0).
    static FileResult Failed(std::string path, int error, std::string reason = {});
};

// For a path that names something other than a regular file (a FIFO, a
// device): the system has no errno of its own for that.
inline constexpr const char* kNotRegularFile = "Not a regular file";
