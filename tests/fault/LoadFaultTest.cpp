// Loading damaged command list files through the dialog: nothing may change
// until the header is whole and every index in it lies on its list, however
// far off it is. What a whole header loads is the save and load tests' part.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <climits>
#include <string>
#include <vector>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PtzBase.h"
#include "serial/SerialPort.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/ListFileBytes.h"
#include "tests/support/TempDir.h"

namespace {

// Everything a load may change, besides the path it was given: the
// settings on the first line, then the rows, then the driver and the port.
std::string StateOf(DialogHarness& h) {
    std::string s;
    for (int id :
         {IDC_COMBO_COM, IDC_COMBO_BAUDRATE, IDC_COMBO_DATABIT, IDC_COMBO_STOPBIT, IDC_COMBO_PARITY,
          IDC_COMBO_PTZMODEL, IDC_COMBO_PTZADDRESS, IDC_COMBO_PRESETID}) {
        s += std::to_string(h.Combo(id)->currentIndex()) + ",";
    }
    s += h.Edit(IDC_EDIT_CTRLRATE)->text().toStdString() + "," +
         h.Edit(IDC_EDIT_CMDINTERVAL)->text().toStdString() + "," +
         h.Button(IDC_BTN_OPENPORT)->text().toStdString() + "\n";
    for (int row = 0; row < h.Rows(); ++row) {
        const CommandRowTexts r = h.Row(row);
        s += r.id + "|" + r.message + "|" + r.size + "|" + r.interval + "\n";
    }
    PtzBase* driver = h.probe().Driver();
    s += "driver " + std::to_string(driver->GetDeviceType()) + "@" +
         std::to_string(driver->GetAddress()) + (g_pPtz == driver ? " global" : "") + ", port " +
         std::to_string(h.probe().PortOpen()) + std::to_string(h.probe().Port()->IsCommOpen()) +
         ", rate " + std::to_string(g_nCtrlRate);
    return s;
}

const Bytes kFrames[] = {{0xff, 0x07, 0x00, 0x08, 0x15, 0x15, 0x39}};
constexpr int kMarkedDriver = 0x5A;

TEST(DamagedFile, NothingChangesUntilTheHeaderIsWholeAndEveryIndexOnItsList) {
    TempDir dir;
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    h.Click(IDC_BTN_MENU);
    h.Click(IDC_BTN_HOME);
    h.probe().Driver()->SetDeviceType(kMarkedDriver);
    h.prompter().Clear();

    // COM2, 115200, 7 data bits, 2 stop bits, odd parity, Pelco-D at 7,
    // rate 21, interval 300, one record.
    const Bytes valid =
        ListFileBytes(Header(1, 9, 2, 1, 2, 0, 7, 21, 300, 1), {Record(kFrames[0], 100)});
    // Not a file at all: a folder, and a path that leads nowhere.
    std::vector<std::pair<std::string, std::string>> paths = {{"a folder", dir.path()},
                                                              {"no file", dir.File("none")}};
    std::vector<std::pair<std::string, Bytes>> files;
    for (size_t cut = 0; cut < 48; ++cut) {
        files.emplace_back("cut at " + std::to_string(cut),
                           Bytes(valid.begin(), valid.begin() + cut));
    }
    const std::tuple<int, const char*, int32_t> indexes[] = {
        {1, "com", 8},    {2, "baud", 13}, {3, "data bits", 4}, {4, "stop bits", 2},
        {5, "parity", 3}, {7, "model", 2}, {8, "address", 225}};
    for (const auto& [word, name, entries] : indexes) {
        for (int32_t value : {-1, INT32_MIN, entries, INT32_MAX}) {
            files.emplace_back(std::string(name) + "=" + std::to_string(value),
                               WithWord(valid, word, value));
        }
    }
    for (const auto& [what, bytes] : files) {
        ASSERT_TRUE(WriteWholeFile(dir.File(what), bytes));
        paths.emplace_back(what, dir.File(what));
    }

    const std::string before = StateOf(h);
    // A cancelled chooser loads nothing, not even the file the field names.
    ASSERT_TRUE(WriteWholeFile(dir.File("named.cfg"), valid));
    h.Edit(IDC_EDIT_CONFIGPATH)->setText(QString::fromStdString(dir.File("named.cfg")));
    ASSERT_TRUE(h.Click(IDC_BTN_BROWSE));
    EXPECT_EQ(StateOf(h), before) << "cancelled";
    for (const auto& [what, path] : paths) {
        h.prompter().fileAnswers.push_back(path);
        ASSERT_TRUE(h.Click(IDC_BTN_BROWSE)) << what;
        EXPECT_EQ(StateOf(h), before) << what;
    }
    ASSERT_EQ(h.prompter().messages.size(), paths.size()) << "each failed load says why";
    const std::string notLoaded = "The command list was not loaded.\n";
    EXPECT_EQ(h.prompter().Texts()[1],
              notLoaded + dir.File("none") + ": No such file or directory");
    EXPECT_EQ(h.prompter().Texts()[2],
              notLoaded + dir.File("cut at 0") + ": Not a command list file");
}

}  // namespace
