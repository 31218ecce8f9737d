#include <sys/resource.h>

#include <gtest/gtest.h>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <functional>

#include "app/QtPrompter.h"
#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PelcoD.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

size_t FilesIn(const std::string& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                             std::filesystem::directory_iterator()));
}

// Replacing a file is asked first; until it is written whole the old one stays.
TEST(SaveLoad, ASaveReplacesTheOldFileOnlyWhenAskedAndWrittenWhole) {
    ScopedManualTicks ticks(1000);
    TempDir dir;
    const Bytes old = FileBytes(Header(0, 4, 3, 0, 0, 1, 1, 32, 800, 0), {});
    WriteWholeFile(dir.File(kCfg), old);
    DialogHarness h;
    h.Select(IDC_COMBO_PTZMODEL, 0);
    h.Select(IDC_COMBO_PTZADDRESS, 17);
    ASSERT_TRUE(h.OpenPort());
    for (auto [id, index] : {std::pair{1000, 2}, {1001, 9}, {1002, 2}, {1003, 1}, {1004, 2}}) {
        h.Combo(id)->setCurrentIndex(index);  // no handler reacts while the port is open
    }
    h.Edit(IDC_EDIT_CTRLRATE)->setText("50");
    h.Edit(IDC_EDIT_CMDINTERVAL)->setText("300");  // typed, then saved straight away
    h.Click(IDC_BTN_MENU);
    ticks.Advance(120);
    h.Click(IDC_BTN_HOME);
    h.probe().SetConfigPath(QString::fromStdString(dir.File(kCfg)));

    h.Click(IDC_BTN_SAVE);  // no folder chosen
    h.SaveTo(dir.path());   // replacing it refused
    EXPECT_EQ(
        h.prompter().questions,
        std::vector<std::string>{dir.File(kCfg) + " already exists.\nDo you want to replace it?"});
    // Files may not grow past 60 bytes: the new file's writes fail, and the
    // harness ignores the signal as the program does.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 60;
    setrlimit(RLIMIT_FSIZE, &small);
    h.SaveTo(dir.path(), true);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(ReadWholeFile(dir.File(kCfg)), old);
    const std::string shown = h.prompter().Last();
    EXPECT_EQ(shown.rfind("The command list was not saved.\n" + dir.path() + "/", 0), 0u) << shown;
    EXPECT_NE(shown.find(": File too large"), std::string::npos) << shown;
    EXPECT_TRUE(h.probe().FileStatus().isEmpty());
    EXPECT_EQ(FilesIn(dir.path()), 1u) << "no temporary file left behind";

    ASSERT_TRUE(h.SaveTo(dir.path(), true));
    EXPECT_EQ(ReadWholeFile(dir.File(kCfg)),
              FileBytes(Header(2, 9, 2, 1, 2, 0, 17, 50, 300, 2),
                        {{{0xff, 0x11, 0x00, 0x07, 0x00, 0x5f, 0x77}, 0},
                         {{0xff, 0x11, 0x00, 0x07, 0x00, 0x22, 0x3a}, 120}}));
    EXPECT_EQ(h.Edit(IDC_EDIT_CONFIGPATH)->text().toStdString(), dir.File(kCfg));
    EXPECT_EQ(h.probe().FileStatus().toStdString(), "Saved 2 commands to " + dir.File(kCfg));
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(SaveLoad, ALoadedFileSetsTheDriverThePresetAndTheStatusLine) {
    TempDir dir;
    DialogHarness h;
    h.Select(IDC_COMBO_PTZMODEL, 1);
    ASSERT_TRUE(h.OpenPort());
    WriteWholeFile(dir.File(kCfg),
                   FileBytes(Header(0, 4, 3, 0, 0, 0, 4, 32, 800, 1),
                             {{{0xa0, 0x01, 0x00, 0x07, 0x00, 0x22, 0xaf, 0x2b}, 250}}));
    ASSERT_TRUE(h.Load(dir.File(kCfg)));
    ASSERT_EQ(h.Rows(), 1);
    EXPECT_EQ(h.Row(0).interval, "250");
    EXPECT_EQ(h.Edit(IDC_EDIT_CMDINTERVAL)->text(), "800");
    EXPECT_EQ(h.Combo(IDC_COMBO_PRESETID)->currentText(), "40");
    EXPECT_NE(dynamic_cast<PelcoD*>(h.probe().Driver()), nullptr);
    EXPECT_EQ(h.probe().Driver()->GetAddress(), 4);
    EXPECT_EQ(g_pPtz, h.probe().Driver());
    EXPECT_EQ(h.probe().FileStatus().toStdString(), "Loaded 1 command from " + dir.File(kCfg));

    // A file that promises more rows than it holds loads them and says so.
    WriteWholeFile(dir.File(kCfg), FileBytes(Header(0, 4, 3, 0, 0, 0, 4, 32, 800, 3),
                                             {{{0xff, 0x04, 0x00, 0x07, 0x00, 0x22, 0x2d}, 0}}));
    h.prompter().Clear();
    ASSERT_TRUE(h.Load(dir.File(kCfg)));
    const std::string cut = "Loaded 1 of the 3 commands the file promises; the file is cut short.";
    EXPECT_EQ(h.probe().FileStatus().toStdString(), cut);
    EXPECT_EQ(h.prompter().Texts(), std::vector<std::string>{cut + "\n" + dir.File(kCfg)});
}

// Rows of every kind are the operator's work: clearing, loading over them
// and closing ask first, and a No changes nothing. A save makes them safe.
TEST(SaveLoad, EveryKindOfRowIsUnsavedUntilSaved) {
    TempDir dir;
    WriteWholeFile(dir.File(kCfg), FileBytes(Header(0, 4, 3, 0, 0, 0, 4, 32, 800, 0), {}));
    const std::tuple<const char*, std::function<void(DialogHarness&)>, int> kinds[] = {
        {"hold",
         [](DialogHarness& h) {
             h.Press(IDC_BTN_UP);
             h.Release(IDC_BTN_UP);
         },
         2},
        {"function", [](DialogHarness& h) { h.Click(IDC_BTN_MENU); }, 1},
    };
    for (const auto& [kind, add, rows] : kinds) {
        SCOPED_TRACE(kind);
        DialogHarness h;
        ASSERT_TRUE(h.OpenPort());
        add(h);
        ASSERT_TRUE(h.WaitForRows(rows));
        h.prompter().Clear();
        h.Click(IDC_BTN_CLEAR);
        h.Load(dir.File(kCfg));
        h.dlg().close();
        EXPECT_EQ(h.prompter().questions.size(), 3u);
        EXPECT_TRUE(h.dlg().isVisible());
        EXPECT_EQ(h.Rows(), rows);
        EXPECT_EQ(h.probe().Driver()->GetAddress(), 1) << "the refused file was applied";

        ASSERT_TRUE(h.SaveTo(dir.path(), true));
        h.prompter().Clear();
        h.Click(IDC_BTN_CLEAR);
        EXPECT_TRUE(h.prompter().questions.empty());
        EXPECT_EQ(h.Rows(), 0);
        // An empty list does not start a replay.
        h.Click(IDC_BTN_AUTOSTART);
        EXPECT_EQ(h.prompter().Last(), "The command list is empty: there is nothing to replay.");
        EXPECT_FALSE(h.probe().ReplayThreadRunning());
    }
}

}  // namespace
