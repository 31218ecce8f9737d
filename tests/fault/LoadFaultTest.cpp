// Loading damaged command list files through the dialog: nothing may change
// until the header is whole and every index in it lies inside its list, and
// a file cut inside its records loads the records that are whole.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PelcoD.h"
#include "serial/SerialPort.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/DomePeer.h"
#include "tests/support/TempDir.h"
#include "tools/DomeReport.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& out, uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(word >> (8 * i)));
    }
}

// Twelve header words, then one 16-byte record per frame.
Bytes FileOf(const std::vector<int32_t>& words, const std::vector<Bytes>& frames) {
    Bytes out;
    for (int32_t w : words) {
        PutWord(out, static_cast<uint32_t>(w));
    }
    uint32_t interval = 100;
    for (const Bytes& frame : frames) {
        PutWord(out, interval);
        interval += 100;
        PutWord(out, static_cast<uint32_t>(frame.size()));
        Bytes data = frame;
        data.resize(8, 0);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

Bytes WithWord(Bytes file, int word, int32_t value) {
    std::memcpy(&file[4 * static_cast<size_t>(word)], &value, sizeof value);
    return file;
}

// Everything a load may change, besides the path it was given, as one text.
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

// The dialog with COM1 open on the harness's pty and two rows listed; COM2
// leads to a second pty, the port the test file asks for.
class DamagedFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h.ports().Link(2, com2.slavePath()));
        ASSERT_TRUE(h.OpenPort());
        h.Click(IDC_BTN_MENU);
        ASSERT_TRUE(dome.WaitForFrames(1));
        h.Click(IDC_BTN_HOME);
        ASSERT_TRUE(dome.WaitForFrames(2));
        h.probe().Driver()->SetDeviceType(kMarkedDriver);
        h.prompter().Clear();
    }

    void Load(const std::string& what, const Bytes& bytes) {
        ASSERT_TRUE(WriteWholeFile(dir.File(what), bytes));
        h.prompter().fileAnswers.push_back(dir.File(what));
        ASSERT_TRUE(h.Click(IDC_BTN_BROWSE)) << what;
    }

    // COM2, 115200, 7 data bits, 2 stop bits, odd parity, Pelco-D at 7,
    // rate 21, interval 300, three records.
    const std::vector<int32_t> header = {0, 1, 9, 2, 1, 2, 0, 0, 7, 21, 300, 3};
    const Bytes valid = FileOf(header, {kFrames[0], kFrames[1], kFrames[2]});

    TempDir dir;
    PtyPair com2;
    DialogHarness h;
    DomePeer dome{h.pty().master()};
};

TEST_F(DamagedFile, NothingChangesUntilTheHeaderIsWholeAndValid) {
    std::vector<std::pair<std::string, Bytes>> cases;
    for (size_t cut = 0; cut < 48; ++cut) {
        cases.emplace_back("cut-at-" + std::to_string(cut),
                           Bytes(valid.begin(), valid.begin() + cut));
    }
    struct Index {
        int word;
        const char* name;
        int32_t entries;
    };
    const Index indexes[] = {{1, "com", 8},       {2, "baud", 13},  {3, "data-bits", 4},
                             {4, "stop-bits", 2}, {5, "parity", 3}, {7, "model", 2},
                             {8, "address", 225}};
    for (const Index& index : indexes) {
        for (int32_t value : {-1, INT32_MIN, index.entries, INT32_MAX}) {
            cases.emplace_back(std::string(index.name) + "=" + std::to_string(value),
                               WithWord(valid, index.word, value));
        }
    }
    cases.emplace_back("every-index-past-its-list",
                       FileOf({0, 8, 13, 4, 2, 3, 0, 2, 225, 21, 300, 0}, {}));

    const std::string before = StateOf(h);
    // A cancelled chooser loads nothing, not even the file the field names.
    ASSERT_TRUE(WriteWholeFile(dir.File("named.cfg"), valid));
    h.Edit(IDC_EDIT_CONFIGPATH)->setText(QString::fromStdString(dir.File("named.cfg")));
    ASSERT_TRUE(h.Click(IDC_BTN_BROWSE));
    EXPECT_EQ(StateOf(h), before) << "cancelled";
    for (const auto& [what, bytes] : cases) {
        Load(what, bytes);
        EXPECT_EQ(StateOf(h), before) << what;
    }
    // Not a file at all: a folder, and a path that leads nowhere.
    for (const std::string& path : {dir.path(), dir.File("missing.cfg")}) {
        h.prompter().fileAnswers.push_back(path);
        ASSERT_TRUE(h.Click(IDC_BTN_BROWSE));
        EXPECT_EQ(StateOf(h), before) << path;
    }
    ASSERT_EQ(h.prompter().messages.size(), cases.size() + 2) << "each failed load says why";
    EXPECT_EQ(h.prompter().Texts().front(), "The command list was not loaded.\n" +
                                                dir.File(cases.front().first) +
                                                ": Not a command list file");
    EXPECT_EQ(h.prompter().Texts().back(), "The command list was not loaded.\n" +
                                               dir.File("missing.cfg") +
                                               ": No such file or directory");

    // The port was never reopened: commands still reach COM1's line.
    ASSERT_TRUE(h.Click(IDC_BTN_MENU));
    ASSERT_TRUE(dome.WaitForFrames(3));
    EXPECT_EQ(HexBytes(dome.Frame(2).bytes), h.Row(2).message);
    EXPECT_TRUE(com2.DrainPeer(50).empty());
}

TEST_F(DamagedFile, AWholeHeaderAppliesAndOnlyWholeRecordsLoad) {
    std::vector<std::pair<std::string, Bytes>> cases;
    for (size_t cut = 48; cut <= valid.size(); ++cut) {
        cases.emplace_back("cut-at-" + std::to_string(cut),
                           Bytes(valid.begin(), valid.begin() + cut));
    }
    // Words no reader interprets, and record counts that promise too much
    // or too little.
    cases.emplace_back("reserved-words-set", WithWord(WithWord(valid, 0, -1), 6, INT32_MIN));
    for (int32_t count : {INT32_MAX, 4, 0, -1, INT32_MIN}) {
        cases.emplace_back("count=" + std::to_string(count), WithWord(valid, 11, count));
    }

    for (const auto& [what, bytes] : cases) {
        Load(what, bytes);
        int32_t count = 0;
        std::memcpy(&count, &bytes[44], sizeof count);
        const size_t whole = (bytes.size() - 48) / 16;
        const int rows = count <= 0 ? 0 : static_cast<int>(std::min<size_t>(whole, count));

        // Settings as the header gives them; the save and load round trip
        // covers each field on its own.
        const std::string state = StateOf(h);
        EXPECT_EQ(state.substr(0, state.find('\n')), "1,9,2,1,2,0,7,40,21,300,Close") << what;
        EXPECT_NE(state.find("@7 global, port 11, rate 21"), std::string::npos) << state;
        ASSERT_EQ(h.Rows(), rows) << what;
        for (int row = 0; row < rows; ++row) {
            EXPECT_EQ(h.Row(row).id, std::to_string(row)) << what;
            EXPECT_EQ(h.Row(row).message, HexBytes(kFrames[row])) << what;
            EXPECT_EQ(h.Row(row).interval, std::to_string(100 * (row + 1))) << what;
        }
        EXPECT_NE(h.probe().Driver()->GetDeviceType(), kMarkedDriver)
            << what << ": driver not made again";
        EXPECT_NE(dynamic_cast<PelcoD*>(h.probe().Driver()), nullptr) << what;
        h.probe().Driver()->SetDeviceType(kMarkedDriver);
    }
    // The reopened port is COM2, driven by the loaded protocol and rate.
    h.Press(IDC_BTN_UP);
    EXPECT_EQ(com2.ReadPeer(7), kFrames[0]);
    h.Release(IDC_BTN_UP);
    EXPECT_EQ(com2.ReadPeer(7), kFrames[1]);
}

}  // namespace
