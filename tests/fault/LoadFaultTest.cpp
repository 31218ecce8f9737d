// Loading damaged command list files through the dialog: nothing may change
// until the header is whole and every index in it lies inside its list, and
// a file cut inside its records loads the records that are whole.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PelcoD.h"
#include "serial/SerialPort.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/ListFileBytes.h"
#include "tests/support/TempDir.h"
#include "tools/DomeReport.h"

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

const Bytes kFrames[] = {
    {0xff, 0x07, 0x00, 0x08, 0x15, 0x15, 0x39},
    {0xff, 0x07, 0x00, 0x00, 0x00, 0x00, 0x07},
    {0xff, 0x07, 0x00, 0x07, 0x00, 0x5f, 0x6d},
};
constexpr int kMarkedDriver = 0x5A;

TEST(DamagedFile, NothingChangesUntilTheHeaderIsValidThenOnlyWholeRecordsLoad) {
    TempDir dir;
    PtyPair com2;
    DialogHarness h;
    // COM1 open with two rows listed; COM2 is the port the file asks for.
    ASSERT_TRUE(h.ports().Link(2, com2.slavePath()));
    ASSERT_TRUE(h.OpenPort());
    h.Click(IDC_BTN_MENU);
    h.Click(IDC_BTN_HOME);
    h.probe().Driver()->SetDeviceType(kMarkedDriver);
    h.prompter().Clear();

    // COM2, 115200, 7 data bits, 2 stop bits, odd parity, Pelco-D at 7,
    // rate 21, interval 300, three records.
    const Bytes valid =
        ListFileBytes(Header(1, 9, 2, 1, 2, 0, 7, 21, 300, 3),
                      {Record(kFrames[0], 100), Record(kFrames[1], 200), Record(kFrames[2], 300)});
    struct Case {
        std::string what;
        Bytes bytes;
        bool loads;
        std::string path = {};  // what is loaded instead of the bytes
    };
    // Not a file at all: a folder, and a path that leads nowhere.
    std::vector<Case> cases = {{"a folder", {}, false, dir.path()},
                               {"no file", {}, false, dir.File("missing.cfg")}};
    for (size_t cut = 0; cut <= valid.size(); ++cut) {
        cases.push_back({"cut at " + std::to_string(cut), Bytes(valid.begin(), valid.begin() + cut),
                         cut >= 48});
    }
    const std::tuple<int, const char*, int32_t> indexes[] = {
        {1, "com", 8},    {2, "baud", 13}, {3, "data bits", 4}, {4, "stop bits", 2},
        {5, "parity", 3}, {7, "model", 2}, {8, "address", 225}};
    for (const auto& [word, name, entries] : indexes) {
        for (int32_t value : {-1, INT32_MIN, entries, INT32_MAX}) {
            cases.push_back({std::string(name) + "=" + std::to_string(value),
                             WithWord(valid, word, value), false});
        }
    }
    // Words no reader interprets, and record counts that promise too much
    // or too little.
    cases.push_back({"reserved words set", WithWord(WithWord(valid, 0, -1), 6, INT32_MIN), true});
    for (int32_t count : {INT32_MAX, 4, 0, -1, INT32_MIN}) {
        cases.push_back({"count=" + std::to_string(count), WithWord(valid, 11, count), true});
    }
    // Refused loads first, while the state to keep is the one before them.
    std::stable_partition(cases.begin(), cases.end(), [](const Case& c) { return !c.loads; });

    const std::string before = StateOf(h);
    for (const Case& c : cases) {
        ASSERT_TRUE(!c.path.empty() || WriteWholeFile(dir.File("list.cfg"), c.bytes));
        h.prompter().fileAnswers.push_back(c.path.empty() ? dir.File("list.cfg") : c.path);
        ASSERT_TRUE(h.Click(IDC_BTN_BROWSE)) << c.what;
        if (!c.loads) {
            EXPECT_EQ(StateOf(h), before) << c.what;
            continue;
        }
        int32_t count = 0;
        std::memcpy(&count, &c.bytes[44], sizeof count);
        const size_t whole = (c.bytes.size() - 48) / 16;
        const int rows = count <= 0 ? 0 : static_cast<int>(std::min<size_t>(whole, count));
        const std::string state = StateOf(h);
        EXPECT_EQ(state.substr(0, state.find('\n')), "1,9,2,1,2,0,7,40,21,300,Close") << c.what;
        EXPECT_NE(state.find("@7 global, port 11, rate 21"), std::string::npos) << state;
        ASSERT_EQ(h.Rows(), rows) << c.what;
        for (int row = 0; row < rows; ++row) {
            EXPECT_EQ(h.Row(row).id + "|" + h.Row(row).message + "|" + h.Row(row).interval,
                      std::to_string(row) + "|" + HexBytes(kFrames[row]) + "|" +
                          std::to_string(100 * (row + 1)))
                << c.what;
        }
        EXPECT_NE(h.probe().Driver()->GetDeviceType(), kMarkedDriver) << c.what << ": not remade";
        EXPECT_NE(dynamic_cast<PelcoD*>(h.probe().Driver()), nullptr) << c.what;
        h.probe().Driver()->SetDeviceType(kMarkedDriver);
    }
    EXPECT_TRUE(h.prompter().messages.empty()) << "a failed load is silent";
    // The reopened port is COM2, driven by the loaded protocol and rate.
    h.Press(IDC_BTN_UP);
    EXPECT_EQ(com2.ReadPeer(7), kFrames[0]);
    h.Release(IDC_BTN_UP);
    EXPECT_EQ(com2.ReadPeer(7), kFrames[1]);
}

}  // namespace
