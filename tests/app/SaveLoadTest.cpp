#include <sys/resource.h>

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PelcoD.h"
#include "ptz/PelcoP.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

const Bytes kMenuD1 = {0xff, 0x01, 0x00, 0x07, 0x00, 0x5f, 0x67};
const Bytes kHomeP1 = {0xa0, 0x01, 0x00, 0x07, 0x00, 0x22, 0xaf, 0x2b};

// Everything a load can change, to compare before and after.
struct Snapshot {
    std::vector<int> selections;
    int rows;
    QString interval, rate;
    PtzBase* driver;
    int portOpen;
    uint32_t globalRate;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(DialogHarness& h) {
    Snapshot s{{},
               h.Rows(),
               h.Edit(IDC_EDIT_CMDINTERVAL)->text(),
               h.Edit(IDC_EDIT_CTRLRATE)->text(),
               h.dlg().m_pPtz.get(),
               h.dlg().m_bPortOpen,
               g_nCtrlRate};
    for (int id : {1000, 1001, 1002, 1003, 1004, 1029, 1030, 1024}) {
        s.selections.push_back(h.Combo(id)->currentIndex());
    }
    return s;
}

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
    EXPECT_EQ(h.Edit(IDC_EDIT_CONFIGPATH)->text().toStdString(), dir.File());
    EXPECT_EQ(ReadFile(dir.File()), FileBytes(Header(2, 9, 2, 1, 2, 0, 17, 50, 300, 2),
                                              {{0xff, 0x11, 0x00, 0x07, 0x00, 0x5f, 0x77},
                                               {0xff, 0x11, 0x00, 0x07, 0x00, 0x22, 0x3a}},
                                              {0, 120}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "no temporary file left behind";
}

TEST(SaveLoad, RowsAndSettingsRoundTrip) {
    struct Case {
        const char* what;
        int model;
        bool pelcoD;
    };
    const Case cases[] = {{"PELCO_D at address 1", 0, true}, {"PELCO_P at address 1", 1, false}};
    for (const Case& c : cases) {
        TempDir dir;
        DialogHarness h;
        h.Select(IDC_COMBO_PTZMODEL, c.model);
        ASSERT_TRUE(h.OpenPort());
        h.dlg().AppendCommandItem(Record(kMenuD1, 0));
        h.dlg().AppendCommandItem(Record(kHomeP1, 250));
        h.prompter().folderAnswers.push_back(dir.path());
        h.Click(IDC_BTN_SAVE);
        const CommandRowTexts before[] = {h.Row(0), h.Row(1)};

        h.Click(IDC_BTN_CLEAR);
        h.Select(IDC_COMBO_PTZMODEL, 1 - c.model);
        h.Select(IDC_COMBO_PTZADDRESS, 9);
        h.prompter().fileAnswers.push_back(dir.File());
        ASSERT_TRUE(h.Click(IDC_BTN_BROWSE));

        ASSERT_EQ(h.Rows(), 2) << c.what;
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(h.Row(row).id, std::to_string(row));
            EXPECT_EQ(h.Row(row).message, before[row].message) << c.what;
            EXPECT_EQ(h.Row(row).size, before[row].size) << c.what;
            EXPECT_EQ(h.Row(row).interval, before[row].interval) << c.what;
        }
        EXPECT_EQ(h.Combo(IDC_COMBO_PTZMODEL)->currentIndex(), c.model) << c.what;
        EXPECT_EQ(h.Combo(IDC_COMBO_PRESETID)->currentText(), "40") << c.what;
        EXPECT_EQ(dynamic_cast<PelcoD*>(h.dlg().m_pPtz.get()) != nullptr, c.pelcoD) << c.what;
        EXPECT_EQ(h.dlg().m_pPtz->GetAddress(), 1) << c.what;
        EXPECT_EQ(g_pPtz, h.dlg().m_pPtz.get());
    }
}

TEST(SaveLoad, ARecordCutShortLoadsWhatIsThereAndStillReopensThePort) {
    TempDir dir;
    PtyPair second;
    DialogHarness h;
    h.ports().Link(2, second.slavePath());
    ASSERT_TRUE(h.OpenPort());
    Bytes file = FileBytes(Header(1, 9, 3, 0, 0, 0, 3, 20, 100, 5),
                           {kMenuD1, kMenuD1, kMenuD1, kMenuD1}, {0, 1, 2, 3});
    file.resize(file.size() - 9);
    WriteFile(dir.File(), file);
    h.prompter().fileAnswers.push_back(dir.File());
    h.Click(IDC_BTN_BROWSE);

    EXPECT_EQ(h.Rows(), 3);
    EXPECT_EQ(h.dlg().m_bPortOpen, 1);
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Close");
    EXPECT_EQ(g_nCtrlRate, 20u);
    EXPECT_EQ(h.Edit(IDC_EDIT_CMDINTERVAL)->text(), "100");
    h.Click(IDC_BTN_MENU);  // the reopened port is COM2, the driver Pelco-D at address 3
    EXPECT_EQ(second.ReadPeer(7), (Bytes{0xff, 0x03, 0x00, 0x07, 0x00, 0x5f, 0x69}));
}

TEST(SaveLoad, AShortOrInvalidHeaderChangesNothing) {
    const Bytes valid = FileBytes(Header(3, 2, 1, 1, 1, 0, 7, 99, 5, 1), {kMenuD1}, {4});
    std::vector<std::pair<std::string, Bytes>> cases;
    for (size_t cut = 0; cut < 48; ++cut) {
        cases.emplace_back("cut at " + std::to_string(cut),
                           Bytes(valid.begin(), valid.begin() + cut));
    }
    const std::pair<int, int32_t> bad[] = {{1, 8}, {1, -1}, {2, 13},  {3, 4}, {4, 2},
                                           {5, 3}, {7, 2},  {8, 225}, {8, -1}};
    for (auto [word, value] : bad) {
        Bytes file = valid;
        std::memcpy(&file[4 * word], &value, 4);
        cases.emplace_back("word " + std::to_string(word) + " = " + std::to_string(value), file);
    }
    TempDir dir;
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    h.Click(IDC_BTN_MENU);
    const Snapshot before = Take(h);
    for (const auto& [what, bytes] : cases) {
        WriteFile(dir.File(), bytes);
        h.prompter().fileAnswers.push_back(dir.File());
        h.Click(IDC_BTN_BROWSE);
        EXPECT_TRUE(Take(h) == before) << what;
    }
    EXPECT_TRUE(h.prompter().messages.size() == 1) << "every load failure is silent";
}

TEST(SaveLoad, RecordCountIsOnlyAnUpperBound) {
    struct Case {
        const char* what;
        int32_t count;
        int rows;
    };
    const Case cases[] = {{"huge n", INT32_MAX, 2}, {"negative n", -1, 0}, {"n of 0", 0, 0}};
    for (const Case& c : cases) {
        TempDir dir;
        DialogHarness h;
        ASSERT_TRUE(h.OpenPort());
        WriteFile(dir.File(), FileBytes(Header(0, 4, 3, 0, 0, 1, 1, 61, 800, c.count),
                                        {kHomeP1, kHomeP1}, {0, 0}));
        h.prompter().fileAnswers.push_back(dir.File());
        h.Click(IDC_BTN_BROWSE);
        EXPECT_EQ(h.Rows(), c.rows) << c.what;
        EXPECT_EQ(h.Edit(IDC_EDIT_CTRLRATE)->text(), "61") << c.what << ": settings applied";
    }
}

TEST(SaveLoad, AFailedSaveLeavesTheOldFileIntact) {
    TempDir dir;
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    const Bytes old = FileBytes(Header(0, 4, 3, 0, 0, 1, 1, 32, 800, 1), {kHomeP1}, {0});
    WriteFile(dir.File(), old);
    for (int i = 0; i < 20; ++i) {
        h.Click(IDC_BTN_MENU);
    }
    // Files may not grow past 100 bytes: the new file's writes fail.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    h.prompter().folderAnswers.push_back(dir.path());
    h.Click(IDC_BTN_SAVE);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ReadFile(dir.File()), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SaveLoad, CancelledChoosers) {
    TempDir dir;
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    h.dlg().m_strConfigPath = QString::fromStdString(dir.File());
    h.Click(IDC_BTN_SAVE);  // no folder chosen: nothing written
    EXPECT_FALSE(fs::exists(dir.File()));

    // No file chosen: the current path is loaded.
    WriteFile(dir.File(), FileBytes(Header(0, 4, 3, 0, 0, 0, 4, 32, 800, 1), {kMenuD1}, {0}));
    h.Click(IDC_BTN_BROWSE);
    EXPECT_EQ(h.Rows(), 1);
    EXPECT_EQ(h.dlg().m_pPtz->GetAddress(), 4);
    ASSERT_EQ(h.prompter().fileRequests.size(), 1u);
    EXPECT_EQ(h.prompter().fileRequests[0].defaultName, "DomeConfig");
    EXPECT_EQ(h.prompter().fileRequests[0].filter, "All File(*.cfg)");
}

}  // namespace
