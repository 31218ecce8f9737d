#pragma once

#include <string>

namespace orvane {

// How an operation ended: ok, or what failed, the system's error number and a
// text for the operator.
struct Result {
    std::string what;  // what failed: a path, a port, an operation; empty when ok
    int error = 0;     // errno where the system gave one, else 0
    std::string text;  // for the operator; empty exactly when ok

    bool ok() const { return text.empty(); }
    explicit operator bool() const { return ok(); }
    // "what: text", or the text alone when there is no what.
    std::string Message() const;

    // `text` defaults to the system's text for `error`; it is never empty.
    static Result Failed(std::string what, int error, std::string text = {});
};

}  // namespace orvane
