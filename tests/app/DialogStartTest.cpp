#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "console/CommandLog.h"
#include "platform/Semaphore.h"
#include "tests/app/DialogTestUtil.h"
#include "tests/support/DialogHarness.h"

namespace {

TEST(DialogStart, SelectionsDefaultsAndEnabledControls) {
    {  // one dialog at a time: dialogs share the program-wide state
        DialogHarness nowhere(DialogOptions::NoDevice());
        EXPECT_FALSE(nowhere.OpenPort());
        EXPECT_EQ(nowhere.prompter().Last().rfind("Serial Port Open Failed!\n\nCOM1 leads to ", 0),
                  0u)
            << nowhere.prompter().Last();
    }
    DialogHarness h;
    // Id, current, count, last: the defaults and the lists' ends.
    const std::tuple<int, const char*, int, const char*> combos[] = {
        {IDC_COMBO_COM, "COM1", 8, "COM8"},      {IDC_COMBO_BAUDRATE, "4800", 13, "921600"},
        {IDC_COMBO_DATABIT, "8", 4, "8"},        {IDC_COMBO_STOPBIT, "1", 2, "2"},
        {IDC_COMBO_PARITY, "N", 3, "O"},         {IDC_COMBO_PTZMODEL, "PELCO_P", 2, "PELCO_P"},
        {IDC_COMBO_PTZADDRESS, "1", 225, "224"}, {IDC_COMBO_PRESETID, "1", 225, "224"},
    };
    for (const auto& [id, current, count, last] : combos) {
        QComboBox* combo = h.Combo(id);
        // A COM entry goes on with where it leads: "COM1 - /dev/pts/3".
        auto entry = [combo](int i) {
            return combo->itemText(i).section(QStringLiteral(" - "), 0, 0).toStdString();
        };
        EXPECT_EQ(entry(combo->currentIndex()) + "/" + std::to_string(combo->count()) + "/" +
                      entry(combo->count() - 1),
                  std::string(current) + "/" + std::to_string(count) + "/" + last)
            << id;
    }
    const std::pair<int, const char*> edits[] = {{IDC_EDIT_CONFIGPATH, "DomeConfig.cfg"},
                                                 {IDC_EDIT_HEXCOMMAND, "0x00 0x00 0x00 0x00"},
                                                 {IDC_EDIT_CMDINTERVAL, "800"},
                                                 {IDC_EDIT_CTRLRATE, "32"}};
    for (const auto& [id, text] : edits) {
        EXPECT_EQ(h.Edit(id)->text().toStdString(), text) << id;
    }
    // Closed, open, closed: the port's controls follow the port; each click toggles it.
    for (bool open : {false, true, false}) {
        for (int id : AllControlIds()) {
            EXPECT_EQ(h.Item(id)->isEnabled(), open || kPortGroup.count(id) == 0) << id;
        }
        EXPECT_EQ(h.OpenPort(), !open);
    }
    EXPECT_EQ(h.prompter().Texts(),
              (std::vector<std::string>{"Serial Port Open Success!", "Serial Port Close Success!",
                                        "Serial Port Open Success!"}));
}

TEST(DialogStart, EachCreationFailureIsReportedAndUndone) {
    struct Case {
        std::optional<CreationStep> step;
        const char* message;  // empty: none
        bool objects;         // port, driver, streams and buffer remain
        bool semaphore;
    };
    const Case cases[] = {
        {std::nullopt, "", true, true},
        {CreationStep::SerialPort, "Create SerialPort Object Failed!", false, false},
        {CreationStep::PelcoP, "Create Pelco-P Object Failed!", false, false},
        {CreationStep::TempFile, "Create Temp File Object Failed!", false, false},
        {CreationStep::TempBuffer, "Create Temp Buffer Object Failed!", false, false},
        {CreationStep::MemFile, "Create Temp Memfile Object Failed!", false, false},
        {CreationStep::Semaphore, "", true, false},
        {CreationStep::LogThread, "", true, true},
    };
    for (const Case& c : cases) {
        DialogHarness h(c.step ? DialogOptions::FailingAt(*c.step) : DialogOptions());
        const DialogProbe d = h.probe();
        SCOPED_TRACE(c.step ? static_cast<int>(*c.step) : -1);
        EXPECT_EQ(h.prompter().Texts(),
                  c.message[0] ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_TRUE(h.prompter().messages.empty() || h.prompter().messages[0].caption == "WARNING");
        EXPECT_EQ(d.Port() != nullptr, c.objects);
        EXPECT_EQ(d.Driver() != nullptr, c.objects);
        EXPECT_EQ(g_pPtz, d.Driver());
        EXPECT_EQ(d.HasStreams(), c.objects);
        EXPECT_EQ(g_hMsgSemaphore != nullptr, c.semaphore);
        EXPECT_EQ(d.LogThreadRunning(), !c.step);
        h.prompter().Clear();
        h.Click(IDC_BTN_OPENPORT);
        EXPECT_EQ(h.probe().PortOpen(), c.objects) << "Open without a port object";
        EXPECT_EQ(h.prompter().messages.size(), c.objects ? 1u : 0u);
    }
}

TEST(DialogClose, OnlyTheCloseBoxEndsIt) {
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
    };
    for (const Case& c : cases) {
        h.Item(c.focus)->setFocus();
        QTest::keyClick(h.Item(c.focus), c.key);
        EXPECT_TRUE(h.dlg().isVisible()) << c.what;
        EXPECT_EQ(h.Rows(), c.rows) << c.what;
    }
    // The unsaved row's question is the unsaved-rows test's; once saved, none.
    h.prompter().folderAnswers.push_back(dir.path());
    h.Click(IDC_BTN_SAVE);
    EXPECT_TRUE(h.dlg().close()) << "nothing unsaved: closes without asking";
    EXPECT_TRUE(h.prompter().questions.empty());
    EXPECT_EQ(h.probe().Port(), nullptr);
}

}  // namespace
