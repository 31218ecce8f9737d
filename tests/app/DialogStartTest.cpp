#include <gtest/gtest.h>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "console/CommandLog.h"
#include "platform/Semaphore.h"
#include "ptz/PelcoP.h"
#include "serial/SerialPort.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

TEST(DialogStart, CombosAreFilledFromTheirTablesAndDefaulted) {
    DialogHarness h;
    struct Case {
        int id;
        const char* current;
        int count;
        const char* last;
    };
    const Case cases[] = {
        {IDC_COMBO_COM, "COM1", 8, "COM8"},      {IDC_COMBO_BAUDRATE, "4800", 13, "921600"},
        {IDC_COMBO_DATABIT, "8", 4, "8"},        {IDC_COMBO_STOPBIT, "1", 2, "2"},
        {IDC_COMBO_PARITY, "N", 3, "O"},         {IDC_COMBO_PTZMODEL, "PELCO_P", 2, "PELCO_P"},
        {IDC_COMBO_PTZADDRESS, "1", 225, "224"}, {IDC_COMBO_PRESETID, "1", 225, "224"},
    };
    // A COM entry goes on with where it leads: "COM1 - /dev/pts/3".
    auto entry = [](QComboBox* combo, int i) {
        return combo->itemText(i).section(QStringLiteral(" - "), 0, 0).toStdString();
    };
    for (const Case& c : cases) {
        QComboBox* combo = h.Combo(c.id);
        EXPECT_EQ(entry(combo, combo->currentIndex()), c.current) << c.id;
        EXPECT_EQ(combo->count(), c.count) << c.id;
        EXPECT_EQ(entry(combo, combo->count() - 1), c.last) << c.id;
    }
    const std::pair<int, const char*> edits[] = {{IDC_EDIT_CONFIGPATH, "DomeConfig.cfg"},
                                                 {IDC_EDIT_HEXCOMMAND, "0x00 0x00 0x00 0x00"},
                                                 {IDC_EDIT_CMDINTERVAL, "800"},
                                                 {IDC_EDIT_CTRLRATE, "32"}};
    for (const auto& [id, text] : edits) {
        EXPECT_EQ(h.Edit(id)->text().toStdString(), text) << id;
    }
}

TEST(DialogStart, ListColumnsEnabledControlsAndWorkingObjects) {
    DialogHarness h;
    QTableView* list = h.probe().ListView();
    const std::pair<const char*, int> columns[] = {
        {"ID", 80}, {"Message", 200}, {"Message Size", 100}, {"Time Interval(sec)", 150}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->model()->headerData(i, Qt::Horizontal).toString().toStdString(),
                  columns[i].first);
        EXPECT_EQ(list->horizontalHeader()->sectionSize(i), columns[i].second);
    }
    EXPECT_EQ(h.Rows(), 0);
    for (int id : AllControlIds()) {
        EXPECT_EQ(h.Item(id)->isEnabled(), kPortGroup.count(id) == 0) << "control " << id;
    }
    EXPECT_EQ(h.Button(IDC_BTN_OPENPORT)->text(), "Open");
    const DialogProbe d = h.probe();
    ASSERT_TRUE(d.Port());
    EXPECT_FALSE(d.Port()->IsCommOpen());
    auto* driver = dynamic_cast<PelcoP*>(d.Driver());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetAddress(), 1);
    EXPECT_EQ(g_pPtz, driver);
    EXPECT_TRUE(d.HasStreams());
    EXPECT_NE(g_hMsgSemaphore.get(), nullptr);
    EXPECT_TRUE(d.LogThreadRunning());
    EXPECT_FALSE(d.ReplayThreadRunning());
}

TEST(DialogStart, EachCreationFailureIsReportedAndUndone) {
    struct Case {
        CreationStep step;
        const char* message;  // empty: none
        bool objects;         // port, driver, streams and buffer remain
        bool semaphore;
    };
    const Case cases[] = {
        {CreationStep::SerialPort, "Create SerialPort Object Failed!", false, false},
        {CreationStep::PelcoP, "Create Pelco-P Object Failed!", false, false},
        {CreationStep::TempFile, "Create Temp File Object Failed!", false, false},
        {CreationStep::TempBuffer, "Create Temp Buffer Object Failed!", false, false},
        {CreationStep::MemFile, "Create Temp Memfile Object Failed!", false, false},
        {CreationStep::Semaphore, "", true, false},
        {CreationStep::LogThread, "", true, true},
    };
    for (const Case& c : cases) {
        DialogHarness h(DialogOptions::FailingAt(c.step));
        const DialogProbe d = h.probe();
        const std::string what = c.message[0] ? c.message : "silent failure";
        if (c.message[0]) {
            ASSERT_EQ(h.prompter().messages.size(), 1u) << what;
            EXPECT_EQ(h.prompter().messages[0].text, c.message);
            EXPECT_EQ(h.prompter().messages[0].caption, "WARNING");
            EXPECT_EQ(h.prompter().messages[0].icon, PromptIcon::None);
        } else {
            EXPECT_TRUE(h.prompter().messages.empty()) << what;
        }
        EXPECT_EQ(d.Port() != nullptr, c.objects) << what;
        EXPECT_EQ(d.Driver() != nullptr, c.objects) << what;
        EXPECT_EQ(g_pPtz, d.Driver()) << what;
        EXPECT_EQ(d.HasStreams(), c.objects) << what;
        EXPECT_EQ(g_hMsgSemaphore != nullptr, c.semaphore) << what;
        EXPECT_FALSE(d.LogThreadRunning()) << what;
        EXPECT_EQ(d.LogRun(), 0) << what;
        EXPECT_EQ(h.Edit(IDC_EDIT_CTRLRATE)->text(), "32") << what;
        h.prompter().Clear();
        h.Click(IDC_BTN_OPENPORT);
        EXPECT_EQ(h.probe().PortOpen(), c.objects) << what << ": Open without a port object";
        EXPECT_EQ(h.prompter().messages.size(), c.objects ? 1u : 0u) << what;
    }
}

TEST(DialogClose, OnlyTheCloseBoxEndsItAndItAsksBeforeLosingRows) {
    TempDir dir;
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    struct Case {
        const char* what;
        int focus;
        Qt::Key key;
        int rows;
    };
    const Case cases[] = {
        {"Escape", IDC_LIST_COMMANDS, Qt::Key_Escape, 0},
        {"Enter in the list", IDC_LIST_COMMANDS, Qt::Key_Return, 0},
        {"Enter in a numeric field", IDC_EDIT_CMDINTERVAL, Qt::Key_Enter, 0},
        {"Enter in the hex field sends", IDC_EDIT_HEXCOMMAND, Qt::Key_Return, 1},
    };
    for (const Case& c : cases) {
        h.Item(c.focus)->setFocus();
        QTest::keyClick(h.Item(c.focus), c.key);
        EXPECT_TRUE(h.dlg().isVisible()) << c.what;
        EXPECT_EQ(h.Rows(), c.rows) << c.what;
    }
    EXPECT_TRUE(h.prompter().questions.empty());

    EXPECT_FALSE(h.dlg().close()) << "answered No: the window stays";
    EXPECT_EQ(h.prompter().questions.size(), 1u);
    EXPECT_TRUE(h.dlg().isVisible());
    EXPECT_NE(h.probe().Port(), nullptr);
    h.prompter().folderAnswers.push_back(dir.path());
    h.Click(IDC_BTN_SAVE);
    EXPECT_TRUE(h.dlg().close()) << "nothing unsaved: closes without asking";
    EXPECT_EQ(h.prompter().questions.size(), 1u);
    EXPECT_EQ(h.probe().Port(), nullptr);
}

TEST(DialogClose, ShutDownWhileTheLogThreadIsBusy) {
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    for (int i = 0; i < 50; ++i) {
        h.Press(IDC_BTN_LEFT);
        h.Release(IDC_BTN_LEFT);
    }
    h.dlg().reject();
    EXPECT_FALSE(h.probe().LogThreadRunning());
    EXPECT_FALSE(h.probe().Driver() || h.probe().Port() || h.probe().MemFile());
    EXPECT_EQ(g_hMsgSemaphore.get(), nullptr);
    h.ProcessEvents();  // appends still queued arrive harmlessly
}

}  // namespace
