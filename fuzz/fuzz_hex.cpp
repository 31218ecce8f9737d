// SplitTokens + HexToValue over any text, and the row texts of any record.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "commandlist/CommandRow.h"
#include "commandlist/HexText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Slots with guard bytes around them: a write past a slot shows up as a
    // changed guard even where ASan would not see it.
    struct Guarded {
        char before[16];
        TokenSlot slots[8];
        char after[16];
    } g;
    char guard[16];
    std::memset(guard, 0x5A, sizeof guard);
    std::memcpy(g.before, guard, sizeof guard);
    std::memcpy(g.after, guard, sizeof guard);
    for (auto& slot : g.slots)
        slot[0] = '\0';
    const int32_t count = size > 0 ? static_cast<int32_t>(data[0] % 10) : 4;
    SplitTokens(g.slots, count > 8 ? 8 : count, text.c_str());
    for (auto& slot : g.slots) {
        slot[kTokenSlotSize - 1] = '\0';
        (void)HexToValue(slot);
    }
    if (std::memcmp(g.before, guard, sizeof guard) != 0 ||
        std::memcmp(g.after, guard, sizeof guard) != 0) {
        __builtin_trap();
    }
    (void)HexToValue(text.c_str());
    // Any record, as a loaded file can bring, formats within its eight bytes.
    CommandRecord rec{};
    std::memcpy(&rec, data, size < sizeof rec ? size : sizeof rec);
    (void)FormatCommandRow(0, rec);
    return 0;
}
