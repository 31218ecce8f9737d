#include "platform/Result.h"

#include <cstring>
#include <utility>

namespace orvane {

std::string Result::Message() const {
    return what.empty() ? text : what + ": " + text;
}

Result Result::Failed(std::string what, int error, std::string text) {
    Result r;
    r.what = std::move(what);
    r.error = error;
    if (!text.empty()) {
        r.text = std::move(text);
    } else {
        // strerror(0) is "Success", which no failure should say.
        r.text = error != 0 ? std::strerror(error) : "unknown error";
    }
    return r;
}

}  // namespace orvane
