#include <sys/resource.h>

#include <gtest/gtest.h>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>
#include <filesystem>

#include "app/QtPrompter.h"
#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PelcoD.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

const Bytes kMenuD1 = {0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67};
const Bytes kHomeP1 = {0xa0, 0x01, 0x00, 0x07, 0x00, 0x22, 0xaf, 0x2b};

TEST(SaveLoad, SaveWritesTheLayoutByteForByte) {
    ScopedManualTicks ticks(1000);
    TempDir dir;
    DialogHarness h;
    h.Select(IDC_COMBO_PTZMODEL, 0);
    h.Select(IDC_COMBO_PTZADDRESS, 17);
    ASSERT_TRUE(h.OpenPort());
    for (auto [id, index] : {std::pair{1000, 2}, {1001, 9}, {1002, 2}, {1003, 1}, {1004, 2}}) {
        h.Combo(id)->setCurrentIndex(index);  // no handler reacts while the port is open
    }
    h.Edit(IDC_EDIT_CTRLRATE)->setText("50");
    h.Edit(IDC_EDIT_CMDINTERVAL)->setText("300");
    h.Click(IDC_BTN_MENU);
    ticks.Advance(120);
    h.Click(IDC_BTN_HOME);
    h.prompter().folderAnswers.push_back(dir.path());
    ASSERT_TRUE(h.Click(IDC_BTN_SAVE));

    EXPECT_EQ(h.prompter().folderTitles, std::vector<std::string>{"Save"});
    EXPECT_EQ(h.Edit(IDC_EDIT_CONFIGPATH)->text().toStdString(), dir.File(kCfg));
    EXPECT_EQ(h.probe().FileStatus().toStdString(), "Saved 2 commands to " + dir.File(kCfg));
    EXPECT_EQ(ReadWholeFile(dir.File(kCfg)),
              FileBytes(Header(2, 9, 2, 1, 2, 0, 17, 50, 300, 2),
                        {{{0xff, 0x11, 0x00, 0x07, 0x00, 0x5f, 0x77}, 0},
                         {{0xff, 0x11, 0x00, 0x07, 0x00, 0x22, 0x3a}, 120}}));
    h.Click(IDC_BTN_CLEAR);
    h.Edit(IDC_EDIT_CMDINTERVAL)->setText("450");  // typed, then saved straight away
    h.prompter().folderAnswers.push_back(dir.path());
    h.prompter().askAnswers.push_back(true);
    ASSERT_TRUE(h.Click(IDC_BTN_SAVE));
    EXPECT_EQ(h.prompter().questions.size(), 1u) << "replacing the file was asked first";
    EXPECT_EQ(ReadWholeFile(dir.File(kCfg)),
              FileBytes(Header(2, 9, 2, 1, 2, 0, 17, 50, 450, 0), {}))
        << "an empty list saves the 48-byte header alone, with the interval as typed";
    EXPECT_EQ(h.Edit(IDC_EDIT_CMDINTERVAL)->text(), "450");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
}

TEST(SaveLoad, TheModelWordPicksTheDriver) {
    const std::pair<int, bool> cases[] = {{0, true}, {1, false}};  // model, Pelco-D
    for (const auto& [model, pelcoD] : cases) {
        TempDir dir;
        DialogHarness h;
        h.Select(IDC_COMBO_PTZMODEL, 1 - model);
        ASSERT_TRUE(h.OpenPort());
        WriteWholeFile(dir.File(kCfg), FileBytes(Header(0, 4, 3, 0, 0, model, 4, 32, 800, 2),
                                                 {{kMenuD1, 0}, {kHomeP1, 250}}));
        h.prompter().fileAnswers.push_back(dir.File(kCfg));
        ASSERT_TRUE(h.Click(IDC_BTN_BROWSE));
        ASSERT_EQ(h.Rows(), 2) << model;
        EXPECT_EQ(h.Row(1).interval, "250");
        EXPECT_EQ(h.Combo(IDC_COMBO_PTZMODEL)->currentIndex(), model);
        EXPECT_EQ(h.Combo(IDC_COMBO_PRESETID)->currentText(), "40") << model;
        EXPECT_EQ(dynamic_cast<PelcoD*>(h.probe().Driver()) != nullptr, pelcoD) << model;
        EXPECT_EQ(h.probe().Driver()->GetAddress(), 4) << model;
        EXPECT_EQ(g_pPtz, h.probe().Driver());
        EXPECT_EQ(h.probe().FileStatus().toStdString(), "Loaded 2 commands from " + dir.File(kCfg));
    }
}

TEST(SaveLoad, ARecordCutShortLoadsWhatIsThereAndStillReopensThePort) {
    TempDir dir;
    PtyPair second;
    DialogHarness h;
    h.ports().Link(2, second.slavePath());
    ASSERT_TRUE(h.OpenPort());
    Bytes file = FileBytes(Header(1, 9, 3, 0, 0, 0, 3, 20, 100, 5),
                           {{kMenuD1, 0}, {kMenuD1, 1}, {kMenuD1, 2}, {kMenuD1, 3}});
    file.resize(file.size() - 9);
    WriteWholeFile(dir.File(kCfg), file);
    h.prompter().fileAnswers.push_back(dir.File(kCfg));
    h.Click(IDC_BTN_BROWSE);

    EXPECT_EQ(h.Rows(), 3);
    EXPECT_TRUE(h.probe().PortOpen());
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Close");
    EXPECT_EQ(g_nCtrlRate, 20u);
    EXPECT_EQ(h.Edit(IDC_EDIT_CMDINTERVAL)->text(), "100");
    h.Click(IDC_BTN_MENU);  // the reopened port is COM2, the driver Pelco-D at address 3
    EXPECT_EQ(second.ReadPeer(7), (Bytes{0xff, 0x03, 0x00, 0x07, 0x00, 0x5f, 0x69}));
}

TEST(SaveLoad, ACancelledRefusedOrFailedSaveLeavesTheOldFileIntact) {
    TempDir dir;
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    const Bytes old = FileBytes(Header(0, 4, 3, 0, 0, 1, 1, 32, 800, 1), {{kHomeP1, 0}});
    WriteWholeFile(dir.File(kCfg), old);
    for (int i = 0; i < 20; ++i) {
        h.Click(IDC_BTN_MENU);
    }
    h.probe().SetConfigPath(QString::fromStdString(dir.File(kCfg)));
    h.Click(IDC_BTN_SAVE);  // no folder chosen
    EXPECT_EQ(ReadWholeFile(dir.File(kCfg)), old) << "cancelled";
    h.prompter().folderAnswers.push_back(dir.path());
    h.Click(IDC_BTN_SAVE);  // replacing it refused
    EXPECT_EQ(
        h.prompter().questions,
        std::vector<std::string>{dir.File(kCfg) + " already exists.\nDo you want to replace it?"});
    EXPECT_EQ(ReadWholeFile(dir.File(kCfg)), old) << "refused";
    EXPECT_TRUE(h.prompter().messages.size() == 1) << "only the port's message so far";

    // Files may not grow past 100 bytes: the new file's writes fail, and the
    // harness ignores the signal as the program does.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    h.prompter().folderAnswers.push_back(dir.path());
    h.prompter().askAnswers.push_back(true);
    h.Click(IDC_BTN_SAVE);
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(ReadWholeFile(dir.File(kCfg)), old) << "writes failed";
    const std::string shown = h.prompter().Texts().back();
    EXPECT_EQ(shown.rfind("The command list was not saved.\n" + dir.path() + "/", 0), 0u) << shown;
    EXPECT_NE(shown.find(": File too large"), std::string::npos) << shown;
    EXPECT_TRUE(h.probe().FileStatus().isEmpty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(SaveLoad, AFolderNameReachesTheFileSystemByteForByte) {
    TempDir dir;
    const std::string folder = dir.path() + "/caf\xe9-\xff";  // not UTF-8
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    // The toolkit's chooser shows the name as text; its bytes are found again.
    EXPECT_EQ(ToLocalPath(QFile::decodeName(QByteArray::fromStdString(folder))), folder);
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    h.Click(IDC_BTN_MENU);
    h.prompter().folderAnswers.push_back(folder);
    h.Click(IDC_BTN_SAVE);
    EXPECT_EQ(ReadWholeFile(folder + "/" + kCfg).size(), 48u + 16u);
}

}  // namespace
