#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A numeric field's text ("Ctrl Rate", "Cmd Interval Time"): decimal digits,
// blanks around them allowed, 0 to 4294967295.
struct NumberField {
    enum State {
        Empty,    // nothing typed (yet): not an error while the operator types
        Invalid,  // anything else that is no such number
        Valid,
    };
    State state;
    uint32_t value;  // 0 unless Valid

    static NumberField Parse(std::string_view text);
    // The warning for an Invalid value, naming its field (as the window shows it).
    static std::string InvalidMessage(std::string_view field);
};
