// The operator's console driving a simulated dome through the real serial
// port: what the list shows is what the dome received, and the dome reads
// each frame as the button meant it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <functional>
#include <string>

#include "console/ControlIds.h"
#include "tests/e2e/E2eSession.h"

namespace {

TEST(ConsoleSession, EveryButtonAndManualCommandReachesTheDomeAsListed) {
    // HoldAndLeave: released after the pointer left the button.
    enum class Act { Hold, HoldAndLeave, Click, Send };
    struct Step {
        Act act;
        int id;
        const char* meaning;  // of the press, the click or the typed command
        const char* hex = "";
    };
    const Step steps[] = {
        {Act::Hold, IDC_BTN_UP, "tilt up speed 0x15"},
        {Act::Hold, IDC_BTN_DOWN, "tilt down speed 0x15"},
        {Act::Hold, IDC_BTN_LEFT, "pan left speed 0x15"},
        {Act::HoldAndLeave, IDC_BTN_RIGHT, "pan right speed 0x15"},
        {Act::Hold, IDC_BTN_LU, "pan left speed 0x15, tilt up speed 0x15"},
        {Act::Hold, IDC_BTN_RU, "pan right speed 0x15, tilt up speed 0x15"},
        {Act::Hold, IDC_BTN_LD, "pan left speed 0x15, tilt down speed 0x15"},
        {Act::Hold, IDC_BTN_RD, "pan right speed 0x15, tilt down speed 0x15"},
        {Act::Hold, IDC_BTN_TELE, "zoom tele"},
        {Act::Hold, IDC_BTN_WIDE, "zoom wide"},
        {Act::Hold, IDC_BTN_NEAR, "focus near"},
        {Act::Hold, IDC_BTN_FAR, "focus far"},
        {Act::Hold, IDC_BTN_CLOSE, "iris close"},
        {Act::Hold, IDC_BTN_OPEN, "iris open"},
        {Act::Click, IDC_BTN_PRESET, "set preset 5"},
        {Act::Click, IDC_BTN_CALL, "go to preset 5"},
        {Act::Click, IDC_BTN_DELETE, "clear preset 5"},
        {Act::Click, IDC_BTN_SETAUX, "set aux 5"},
        {Act::Click, IDC_BTN_CLRAUX, "clear aux 5"},
        {Act::Click, IDC_BTN_HOME, "go to preset 34"},
        {Act::Click, IDC_BTN_MENU, "go to preset 95"},
        {Act::Click, IDC_BTN_MEMORY, "go to preset 98"},
        {Act::Click, IDC_BTN_TOUR, "go to preset 76"},
        {Act::Click, IDC_BTN_SCAN, "go to preset 99"},
        {Act::Click, IDC_BTN_STOP, "go to preset 96"},
        {Act::Send, IDC_BTN_SEND, "tilt up speed 0x2a", "00 08 15 2a"},
        {Act::Send, IDC_BTN_SEND, "go to preset 34", "0x00 0x07 0x00 0x22"},
        {Act::Send, IDC_BTN_SEND, "set preset 11", "0 3 0 b"},
        {Act::Send, IDC_BTN_SEND, "set aux 7", "0X00 0X09 0X00 0X07"},
        {Act::Send, IDC_BTN_SEND, "stop", ""},
    };
    const struct {
        const char* name;
        int model;
    } protocols[] = {{"Pelco-D", 0}, {"Pelco-P", 1}};
    constexpr uint8_t kAddress = 3;

    for (const auto& p : protocols) {
        SCOPED_TRACE(p.name);
        ScopedManualTicks ticks(5000);
        DialogHarness h;
        DomePeer dome(h.pty().master());
        h.Select(IDC_COMBO_PTZMODEL, p.model);
        h.Select(IDC_COMBO_PTZADDRESS, kAddress);
        ASSERT_TRUE(h.OpenPort());
        h.Type(IDC_EDIT_CTRLRATE, "21");  // only editable with the port open
        h.Combo(IDC_COMBO_PRESETID)->setCurrentIndex(5);
        int index = 0;
        for (const Step& step : steps) {
            SCOPED_TRACE(step.meaning);
            if (step.act == Act::Hold || step.act == Act::HoldAndLeave) {
                h.Press(step.id);
                ASSERT_TRUE(ListedAndReceived(h, dome, index, kAddress, step.meaning));
                EXPECT_EQ(h.Row(index++).interval, "0");
                ticks.Advance(400);
                h.Release(step.id,
                          step.act == Act::Hold ? std::nullopt : std::optional<QPoint>({-40, -40}));
                ASSERT_TRUE(ListedAndReceived(h, dome, index, kAddress, "stop"));
                EXPECT_EQ(h.Row(index++).interval, "400");
                continue;
            }
            if (step.act == Act::Send) {
                h.Type(IDC_EDIT_HEXCOMMAND, step.hex);
            }
            ASSERT_TRUE(h.Click(step.id));
            EXPECT_EQ(h.Rows(), index + 1) << "listed at once, not by the log thread";
            ASSERT_TRUE(ListedAndReceived(h, dome, index++, kAddress, step.meaning));
        }
        // SHOT and a key activating a hold button send nothing: the next
        // frame the dome sees is MENU's.
        ASSERT_TRUE(h.Click(IDC_BTN_SHOT));
        QSignalSpy keyed(h.Button(IDC_BTN_UP), &QPushButton::clicked);
        h.Button(IDC_BTN_UP)->setFocus();
        QTest::keyClick(h.Button(IDC_BTN_UP), Qt::Key_Space);
        EXPECT_EQ(keyed.count(), 1) << "the key did activate the button";
        h.ProcessEvents();
        EXPECT_EQ(h.Rows(), index);
        ASSERT_TRUE(h.Click(IDC_BTN_MENU));
        ASSERT_TRUE(ListedAndReceived(h, dome, index, kAddress, "go to preset 95"));
        // Clear restarts the numbering and the interval count.
        h.prompter().askAnswers.push_back(true);  // the rows were never saved
        ASSERT_TRUE(h.Click(IDC_BTN_CLEAR));
        EXPECT_EQ(h.Rows(), 0);
        ticks.Advance(300);
        ASSERT_TRUE(h.Click(IDC_BTN_MENU));
        ASSERT_EQ(h.Rows(), 1);
        EXPECT_EQ(h.Row(0).id + "/" + h.Row(0).interval, "0/0");
        ASSERT_TRUE(dome.WaitForFrames(static_cast<size_t>(index) + 2));
        dome.Stop();
        EXPECT_EQ(dome.FrameCount(), static_cast<size_t>(index) + 2);
        EXPECT_EQ(dome.GarbageBytes(), 0u);
    }
}

// Once a hold has sent its start, its stop goes out whatever ends the hold,
// before the release, which then sends no second one.
TEST(ConsoleSession, AHoldEndedByAnythingButItsReleaseStillSendsItsStop) {
    const std::pair<const char*, std::function<void(DialogHarness&)>> ways[] = {
        {"another mouse button",
         [](DialogHarness& h) { QTest::mousePress(h.Item(IDC_BTN_UP), Qt::RightButton); }},
        {"focus lost",
         [](DialogHarness& h) {
             QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
             QApplication::sendEvent(h.Item(IDC_BTN_UP), &out);
         }},
        {"button disabled", [](DialogHarness& h) { h.Item(IDC_BTN_UP)->setEnabled(false); }},
        {"window hidden", [](DialogHarness& h) { h.dlg().hide(); }},
        {"a message box",
         [](DialogHarness& h) {
             h.Edit(IDC_EDIT_CTRLRATE)->setText("");
             QTest::keyClick(h.Edit(IDC_EDIT_CTRLRATE), Qt::Key_Return);
             EXPECT_FALSE(h.prompter().messages.empty());
         }},
        {"a replay",
         [](DialogHarness& h) {
             ASSERT_TRUE(h.Click(IDC_BTN_AUTOSTART));
             int32_t replayed = 0;  // the stop is listed before the replay takes the rows
             std::memcpy(&replayed, h.probe().TempBuffer() + 4, sizeof replayed);
             EXPECT_EQ(replayed, 2);
         }},
        {"the port closed", [](DialogHarness& h) { h.dlg().OnOpenPort(); }},
        {"the window closed", [](DialogHarness& h) { h.dlg().reject(); }},
    };
    for (const auto& [way, end] : ways) {
        SCOPED_TRACE(way);
        DialogHarness h;
        DomePeer dome(h.pty().master());
        h.Select(IDC_COMBO_PTZMODEL, 0);
        ASSERT_TRUE(h.OpenPort());
        h.Edit(IDC_EDIT_CMDINTERVAL)->setText("60000");
        h.Press(IDC_BTN_UP);
        end(h);
        ASSERT_TRUE(dome.WaitForFrames(2));
        EXPECT_EQ(Meaning(dome.Frame(0)), "tilt up speed 0x20");
        EXPECT_EQ(Meaning(dome.Frame(1)), "stop");
        h.Release(IDC_BTN_UP);
        if (h.dlg().isVisible() && h.probe().PortOpen() && h.Click(IDC_BTN_MENU)) {
            ASSERT_TRUE(dome.WaitForFrames(3));
            EXPECT_EQ(Meaning(dome.Frame(2)), "go to preset 95") << "a second stop went out";
            EXPECT_TRUE(h.WaitForRows(3));
            EXPECT_EQ(h.Row(1).message, "ff 01 00 00 00 00 01");
        }
        dome.Stop();
    }
}

}  // namespace
