// A recorded session saved to disk, loaded into a fresh dialog and replayed
// to a simulated dome: the dome sees the recorded frames, in order, pass
// after pass.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "console/ControlIds.h"
#include "ptz/PtzBase.h"
#include "tests/e2e/E2eSession.h"
#include "tests/support/TempDir.h"

namespace {

enum class Act { Press, Release, Click };
// The recorded session: each step `after` ms after the one before.
const struct {
    Act act;
    int id;
    uint32_t after;
    const char* meaning;
} kSteps[] = {
    {Act::Press, IDC_BTN_UP, 0, "tilt up speed 0x15"},
    {Act::Release, IDC_BTN_UP, 300, "stop"},
    {Act::Click, IDC_BTN_MENU, 120, "go to preset 95"},
    {Act::Click, IDC_BTN_PRESET, 50, "set preset 9"},
    {Act::Click, IDC_BTN_SEND, 10, "pan left speed 0x15"},  // "00 04 15 00"
};

TEST(SessionFile, ASavedSessionLoadsIntoAFreshDialogAndReplaysInOrder) {
    struct Case {
        const char* name;
        int model;
        uint8_t address;
        const char* rate;
        int baudIndex;
        const char* cmdInterval;  // "0": each row's own pause
    };
    const Case cases[] = {
        {"Pelco-D, recorded pauses", 0, 7, "21", 9, "0"},
        {"Pelco-P, fixed pause", 1, 12, "21", 6, "250"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedManualTicks ticks(5000);
        TempDir dir;
        std::vector<CommandRowTexts> recorded;
        {
            DialogHarness a;
            DomePeer dome(a.pty().master());
            a.Select(IDC_COMBO_PTZMODEL, c.model);
            a.Select(IDC_COMBO_PTZADDRESS, c.address);
            a.Combo(IDC_COMBO_BAUDRATE)->setCurrentIndex(c.baudIndex);
            ASSERT_TRUE(a.OpenPort());
            a.Type(IDC_EDIT_CTRLRATE, c.rate);
            a.Type(IDC_EDIT_CMDINTERVAL, c.cmdInterval);
            a.Type(IDC_EDIT_HEXCOMMAND, "00 04 15 00");
            a.Combo(IDC_COMBO_PRESETID)->setCurrentIndex(9);
            for (int row = 0; row < static_cast<int>(std::size(kSteps)); ++row) {
                const auto& step = kSteps[row];
                ticks.Advance(step.after);
                if (step.act == Act::Press) {
                    a.Press(step.id);
                } else if (step.act == Act::Release) {
                    a.Release(step.id);
                } else {
                    a.Click(step.id);
                }
                ASSERT_TRUE(ListedAndReceived(a, dome, row, c.address, step.meaning));
                EXPECT_EQ(a.Row(row).interval, std::to_string(step.after));
                recorded.push_back(a.Row(row));
            }
            a.prompter().folderAnswers.push_back(dir.path());
            ASSERT_TRUE(a.Click(IDC_BTN_SAVE));
        }
        const size_t n = recorded.size();
        const std::string file = dir.File("DomeConfig.cfg");
        EXPECT_EQ(ReadWholeFile(file).size(), 48 + 16 * n);

        ReplayPacer pacer;
        DialogHarness b(DialogOptions::WithReplaySleep(&ReplayPacer::Sleep));
        DomePeer dome(b.pty().master());
        ASSERT_TRUE(b.OpenPort());
        b.prompter().fileAnswers.push_back(file);
        ASSERT_TRUE(b.Click(IDC_BTN_BROWSE));

        ASSERT_EQ(static_cast<size_t>(b.Rows()), n);
        for (size_t row = 0; row < n; ++row) {
            const CommandRowTexts& got = b.Row(static_cast<int>(row));
            const CommandRowTexts& want = recorded[row];
            EXPECT_EQ(got.id + got.message + "/" + got.size + "/" + got.interval,
                      want.id + want.message + "/" + want.size + "/" + want.interval);
        }
        EXPECT_EQ(b.Combo(IDC_COMBO_PTZMODEL)->currentIndex(), c.model);
        EXPECT_EQ(b.Combo(IDC_COMBO_PTZADDRESS)->currentIndex(), c.address);
        EXPECT_EQ(b.Combo(IDC_COMBO_BAUDRATE)->currentIndex(), c.baudIndex);
        EXPECT_EQ(b.Edit(IDC_EDIT_CTRLRATE)->text(), c.rate);
        EXPECT_EQ(b.Edit(IDC_EDIT_CMDINTERVAL)->text(), c.cmdInterval);
        EXPECT_EQ(b.Edit(IDC_EDIT_CONFIGPATH)->text().toStdString(), file);

        pacer.Arm(dome);
        ASSERT_TRUE(b.Click(IDC_BTN_AUTOSTART));
        EXPECT_EQ(b.Button(IDC_BTN_AUTOSTART)->text(), "Auto Stop");
        ASSERT_TRUE(pacer.WaitForPauses(2 * n + 1)) << "a third pass began";
        ASSERT_TRUE(b.StopReplay());

        const std::vector<uint32_t> pauses = pacer.Pauses();
        EXPECT_EQ(pauses.size() % n, 0u) << "the stop lets the pass under way finish";
        ASSERT_TRUE(dome.WaitForFrames(pauses.size()));
        const std::vector<DomeFrame> frames = dome.Frames();
        ASSERT_EQ(frames.size(), pauses.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            SCOPED_TRACE("replayed frame " + std::to_string(i));
            const size_t row = i % n;
            EXPECT_TRUE(RowShowsFrame(recorded[row], frames[i]));
            EXPECT_EQ(frames[i].address, c.address);
            EXPECT_EQ(Meaning(frames[i]), kSteps[row].meaning);
            const uint32_t own = static_cast<uint32_t>(std::stoul(recorded[row].interval));
            const uint32_t fixed = static_cast<uint32_t>(std::stoul(c.cmdInterval));
            EXPECT_EQ(pauses[i], fixed > 0 ? fixed : own > 0 ? own : 40u);
        }
        EXPECT_EQ(static_cast<size_t>(b.Rows()), n) << "replayed commands are not listed";
        EXPECT_EQ(b.probe().Driver()->BufferLen(), 0u) << "the replay used the buttons' driver";

        // The loaded rate, driver and address are in force for the operator
        // too, and the first command after a replay starts a new interval count.
        const size_t sent = frames.size();
        ticks.Advance(700);
        b.Press(IDC_BTN_UP);
        ASSERT_TRUE(b.WaitForRows(static_cast<int>(n) + 1));
        ASSERT_TRUE(dome.WaitForFrames(sent + 1));
        const DomeFrame up = dome.Frame(sent);
        EXPECT_TRUE(RowShowsFrame(b.Row(static_cast<int>(n)), up));
        EXPECT_EQ(b.Row(static_cast<int>(n)).interval, "0");
        EXPECT_EQ(up.address, c.address);
        EXPECT_EQ(Meaning(up), "tilt up speed 0x15");
        dome.Stop();
        EXPECT_EQ(dome.GarbageBytes(), 0u);
    }
}

}  // namespace
