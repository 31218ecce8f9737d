#include <gtest/gtest.h>
#include <QLineEdit>
#include <QTest>

#include "console/ControlIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/Hex.h"

namespace {

// The preview follows the text and the driver; Enter puts on the line and
// lists exactly the frame shown, or sends nothing and says why.
TEST(HexPreview, EnterSendsTheFrameShownOrSaysWhyNot) {
    DialogHarness h;
    h.Select(IDC_COMBO_PTZMODEL, 0);
    ASSERT_TRUE(h.OpenPort());
    h.prompter().Clear();
    constexpr char kIgnored[] =
        " Send takes four command bytes, or one whole frame of the current protocol.";
    struct Case {
        const char* text;
        int model;
        int address;  // chosen after the text: the preview follows the driver
        const char* preview;
        const char* marks;
        const char* sent;          // on the line and listed; "" when refused
        std::string refusal = {};  // the message shown instead
    };
    const Case cases[] = {
        {"00 07  22", 1, 5, "Frame: a0 05 00 07 00 22 af 2f", "", "a0 05 00 07 00 22 af 2f"},
        {"0x1234567890 g7 1 2 3 4 5 6", 0, 5, "Frame: none (fix the tokens in red)",
         "0x1234567890 too long, g7 not hex, 3 ignored, 4 ignored, 5 ignored, 6 ignored", "",
         R"(Nothing was sent: "g7" is not hex; "0x1234567890" is too long for one byte; )"
         R"("3", "4", "5" and 1 more are ignored.)" +
             std::string(kIgnored)},
        // A whole frame keeps its own address.
        {"FF 01 00 08 20 20 49", 0, 5, "Whole frame: ff 01 00 08 20 20 49", "",
         "ff 01 00 08 20 20 49"},
        {"ff 01 00 08 20 20 48", 0, 5, "Frame: none (check byte 49, not 48)", "", "",
         "Nothing was sent: the check byte is 0x48; this frame needs 0x49."},
        // FF with a digit lost: the check byte fits, but it is no frame.
        {"f 01 00 08 20 20 49", 0, 5, "Frame: none (fix the tokens in red)",
         "20 ignored, 20 ignored, 49 ignored", "",
         R"(Nothing was sent: "20", "20" and "49" are ignored.)" + std::string(kIgnored)},
        {"0xa0 7 00 07 00 22 af 2d", 1, 5, "Whole frame: a0 07 00 07 00 22 af 2d", "",
         "a0 07 00 07 00 22 af 2d"},
    };
    QLineEdit* field = h.Edit(IDC_EDIT_HEXCOMMAND);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        field->setText(c.text);
        h.Select(IDC_COMBO_PTZMODEL, c.model);
        h.Select(IDC_COMBO_PTZADDRESS, c.address);
        EXPECT_EQ(h.probe().HexFrame().toStdString(), c.preview);
        EXPECT_EQ(h.probe().HexMarks().toStdString(), c.marks);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        if (c.refusal.empty()) {
            EXPECT_TRUE(h.prompter().messages.empty());
            ASSERT_EQ(h.Rows(), 1);
            EXPECT_EQ(h.Row(0).message, c.sent);
            // A refused text before this one would show up here first.
            EXPECT_EQ(h.pty().ReadPeer(FromHex(c.sent).size()), FromHex(c.sent));
        } else {
            EXPECT_EQ(h.Rows(), 0);
            ASSERT_EQ(h.prompter().messages.size(), 1u);
            EXPECT_EQ(h.prompter().Last(), c.refusal);
            EXPECT_EQ(h.prompter().messages[0].caption, "Message");
            EXPECT_EQ(h.prompter().messages[0].icon, PromptIcon::Warning);
        }
        h.prompter().Clear();  // the next case's model or address empties the list
    }
}

}  // namespace
