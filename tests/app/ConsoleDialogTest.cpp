#include <gtest/gtest.h>
#include <QLineEdit>

#include "console/ControlIds.h"
#include "tests/support/DialogHarness.h"

namespace {

// The preview follows the text and the driver, and Send lists what it showed.
TEST(HexPreview, ShowsTheFrameSendWillPutOnTheLine) {
    DialogHarness h;
    h.Select(IDC_COMBO_PTZMODEL, 0);
    ASSERT_TRUE(h.OpenPort());
    struct Case {
        const char* text;
        int model;
        int address;  // chosen after the text: the preview follows the driver
        const char* frame;
        const char* marks;
    };
    const Case cases[] = {
        {"0x00 0x08 0x20 0x20", 0, 1, "ff 01 00 08 20 20 49", ""},
        {"00 07 00 22", 1, 5, "a0 05 00 07 00 22 af 2f", ""},
        {"0x1234567890 g7 1 2 3", 0, 5, "ff 05 90 00 01 02 98",
         "0x1234567890 too long, g7 not hex, 3 ignored"},
    };
    for (const Case& c : cases) {
        h.Edit(IDC_EDIT_HEXCOMMAND)->setText(c.text);
        h.Select(IDC_COMBO_PTZMODEL, c.model);
        h.Select(IDC_COMBO_PTZADDRESS, c.address);
        EXPECT_EQ(h.probe().HexFrame().toStdString(), std::string("Frame: ") + c.frame) << c.text;
        EXPECT_EQ(h.probe().HexMarks().toStdString(), c.marks) << c.text;
        h.Click(IDC_BTN_SEND);
        ASSERT_EQ(h.Rows(), 1) << c.text;
        EXPECT_EQ(h.Row(0).message, c.frame) << c.text;
        h.Click(IDC_BTN_CLEAR);
    }
}

}  // namespace
