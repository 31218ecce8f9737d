#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "commandlist/CommandRow.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tools/DomeReport.h"

// What the dome understood a frame to ask, e.g. "tilt up speed 0x15".
inline std::string Meaning(const DomeFrame& frame) {
    return CommandText(frame.command, true);
}

// The row shows exactly the frame the dome decoded, and the frame is sound.
::testing::AssertionResult RowShowsFrame(const CommandRowTexts& row, const DomeFrame& frame);

// Waits for row `index` and for the dome's frame `index`, then checks that
// they agree, that the row is numbered `index`, that the frame went to
// `address` and that the dome read it as `meaning`.
::testing::AssertionResult ListedAndReceived(DialogHarness& h, const DomePeer& dome, int index,
                                             uint8_t address, const std::string& meaning);
