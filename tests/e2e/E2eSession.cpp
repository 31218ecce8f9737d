#include "tests/e2e/E2eSession.h"

::testing::AssertionResult RowShowsFrame(const CommandRowTexts& row, const DomeFrame& frame) {
    const std::string bytes = HexBytes(frame.bytes);
    const std::string size = std::to_string(frame.bytes.size());
    if (row.message != bytes || row.size != size || !frame.checkOk()) {
        return ::testing::AssertionFailure()
               << "row " << row.id << " shows \"" << row.message << "\" size " << row.size
               << ", the dome got \"" << bytes << "\" check " << frame.checkOk();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ListedAndReceived(DialogHarness& h, const DomePeer& dome, int index,
                                             uint8_t address, const std::string& meaning) {
    if (!h.WaitForRows(index + 1) || !dome.WaitForFrames(static_cast<size_t>(index) + 1)) {
        return ::testing::AssertionFailure() << "row or frame " << index << " never came";
    }
    const DomeFrame frame = dome.Frame(static_cast<size_t>(index));
    const ::testing::AssertionResult same = RowShowsFrame(h.Row(index), frame);
    const std::string id = h.Row(index).id;
    if (same &&
        (frame.address != address || Meaning(frame) != meaning || id != std::to_string(index))) {
        return ::testing::AssertionFailure()
               << "row " << id << ": the dome read " << HexBytes(frame.bytes) << " as \""
               << Meaning(frame) << "\" to " << int{frame.address} << ", not \"" << meaning
               << "\" to " << int{address} << " as row " << index;
    }
    return same;
}
