#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
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

// Stands in for the replay thread's pause. Each pause is recorded, then held
// until the dome has decoded every frame the replay sent before it, so a stop
// lands within a frame of what the dome has seen. The replay then runs as
// fast as the line, and no test waits on a clock.
class ReplayPacer {
public:
    ReplayPacer();
    ~ReplayPacer();

    // The function to hand to the dialog.
    static void Sleep(uint32_t ms);

    // Starts counting from the dome's current frame count.
    void Arm(const DomePeer& dome);
    // Pauses taken since Arm; each is followed by one frame sent.
    std::vector<uint32_t> Pauses() const;
    bool WaitForPauses(size_t count) const;

private:
    void Pause(uint32_t ms);

    mutable std::mutex m_mutex;
    const DomePeer* m_dome = nullptr;
    size_t m_base = 0;
    std::vector<uint32_t> m_pauses;
};
