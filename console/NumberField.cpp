#include "console/NumberField.h"

#include <limits>

#include "console/Texts.h"

NumberField NumberField::Parse(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {Empty, 0};
    }
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return {Invalid, 0};
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > std::numeric_limits<uint32_t>::max()) {
            return {Invalid, 0};
        }
    }
    return {Valid, static_cast<uint32_t>(value)};
}

std::string NumberField::InvalidMessage(std::string_view field) {
    return texts::Fill(
        texts::translate("NumberField", "%1: please enter a whole number from 0 to 4294967295."),
        {field});
}
