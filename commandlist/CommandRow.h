#pragma once

#include <string>

#include "commandlist/CommandRecord.h"

// The four texts of a command list row. Saving and replay read them back, so
// these formats are the stored form of a recorded sequence.
struct CommandRowTexts {
    std::string id;        // "%d", the row's index
    std::string message;   // lowercase "%02x" bytes separated by single spaces
    std::string size;      // "%d" of dwSize
    std::string interval;  // "%d" of dwInterval, read as signed
};

// Column 1 text: the first min(dwSize, 8) bytes; empty for a size of 0.
std::string FormatMessage(const CommandRecord& record);

CommandRowTexts FormatCommandRow(int row, const CommandRecord& record);

// Builds a record from a row's column 1 to 3 texts: the message split into 8
// tokens and read as hex (bytes past the row's tokens are 0), size and
// interval read as decimal the way atol does (leading blanks, a sign, digits).
CommandRecord RecordFromRow(const char* message, const char* size, const char* interval);
