#include "console/Texts.h"

namespace texts {
namespace {
Lookup s_lookup = nullptr;
}  // namespace

void SetLookup(Lookup lookup) {
    s_lookup = lookup;
}

std::string translate(const char* context, const char* source) {
    return s_lookup != nullptr ? s_lookup(context, source) : std::string(source);
}

std::string Fill(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const auto n = static_cast<std::size_t>(next - '1');  // huge below '1'
        if (text[i] == '%' && n < args.size()) {
            out += args.begin()[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace texts
