#pragma once

#include <string>

#include "commandlist/CommandRecord.h"

// The four texts of a command list row, as the list shows them. Saving and
// replay work on the records, not on these texts.
struct CommandRowTexts {
    std::string id;        // "%d", the row's index
    std::string message;   // lowercase "%02x" bytes separated by single spaces
    std::string size;      // "%d" of dwSize
    std::string interval;  // "%d" of dwInterval, read as signed
};

// Column 1 text: the first min(dwSize, 8) bytes; empty for a size of 0.
std::string FormatMessage(const CommandRecord& record);

CommandRowTexts FormatCommandRow(int row, const CommandRecord& record);
