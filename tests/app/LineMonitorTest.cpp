#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/FindCameraDlg.h"
#include "app/LineCapture.h"
#include "app/LineMonitorDlg.h"
#include "console/ControlIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/Hex.h"
#include "tests/support/Ser2net.h"
#include "tests/support/TempDir.h"
#include "tools/VirtualDome.h"

namespace {

// The speed the dialog set on the line, as the far end sees it.
unsigned LineBaud(int master) {
    termios tio{};
    tcgetattr(master, &tio);
    switch (cfgetispeed(&tio)) {
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        default:
            return 0;
    }
}

// A virtual dome at the far end of the session's line, answering as it would.
struct DomeAtPeer {
    PtyPair& pty;
    VirtualDome dome;

    // Reads what the line brought and answers it; what it did.
    struct Served {
        bool read = false;
        bool replied = false;
    };
    Served Serve() {
        Served served;
        pollfd pfd{pty.master(), POLLIN, 0};
        uint8_t buf[256];
        while (poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN) != 0) {
            const ssize_t n = read(pty.master(), buf, sizeof(buf));
            if (n <= 0) {
                break;
            }
            served.read = true;
            dome.Feed(buf, static_cast<size_t>(n), DomeTime{0}, LineBaud(pty.master()));
            const std::vector<uint8_t> replies = dome.TakeReplies();
            served.replied = served.replied || !replies.empty();
            pty.WritePeer(replies);
        }
        return served;
    }
};

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// The lines as shown once the window has taken what arrived.
bool HasLine(CLineMonitorDlg& monitor, const std::string& line) {
    monitor.Refresh();
    return monitor.Export(false).find(line) != std::string::npos;
}

// Scans addresses 36-38 to the end. The scan's clock moves only once the
// dome has read a query and kept quiet, so no wait depends on how fast the
// machine is.
bool RunScan(DialogHarness& h, CFindCameraDlg& find, DomeAtPeer& peer) {
    find.SetAddressRange(36, 38);
    uint32_t now = 0;
    find.SetClock([&now] { return now; });
    Click(find.startButton());
    const bool done = h.WaitFor(
        [&] {
            const int rows = find.results()->rowCount();
            const DomeAtPeer::Served served = peer.Serve();
            if (served.replied) {
                EXPECT_TRUE(h.WaitFor([&] { return find.results()->rowCount() > rows; }));
            } else if (served.read) {
                now += 1000;
            }
            return !find.Scanning();
        },
        30000);
    find.SetClock(nullptr);
    return done;
}

// Through the real window: the queries go out, the dome's replies come back
// decoded, whatever their protocol, a wrong check byte with the right one.
TEST(LineMonitor, ShowsTheQueriesAndTheDecodedReplies) {
    DialogHarness h;
    DomeAtPeer peer{h.pty(), VirtualDome(false, 1, 4800)};
    h.Select(IDC_COMBO_PTZMODEL, 0);
    ASSERT_TRUE(h.OpenPort());
    ASSERT_TRUE(h.Click(IDC_BTN_MONITOR));
    CLineMonitorDlg& monitor = *h.probe().MonitorDialog();
    // Each query waits for its reply, however slow the machine.
    monitor.SetQuerySpacing(5000);
    Click(monitor.queryButton());
    ASSERT_TRUE(h.WaitFor([&] {
        peer.Serve();
        return monitor.positionLabel()->text().contains(QStringLiteral("Zoom 0 (0%)"));
    }));
    EXPECT_EQ(monitor.positionLabel()->text().toStdString(),
              "Pan 0.00\u00b0  Tilt -45.00\u00b0  Zoom 0 (0%)");
    EXPECT_TRUE(
        HasLine(monitor, "sent\tff 01 00 53 00 00 54\tPelco-D address 1: query tilt; check OK"));
    EXPECT_TRUE(HasLine(
        monitor,
        "received\tff 01 00 5b 7b 0c e3\tPelco-D address 1: tilt position -45.00\u00b0; check OK"));

    const struct {
        const char* bytes;
        const char* line;
    } cases[] = {
        {"A0 01 00 07 00 5F AF 56",
         "received\ta0 01 00 07 00 5f af 56\tPelco-P address 1: go to preset 95; check OK"},
        {"FF 01 00 59 00 00 00",
         "received\tff 01 00 59 00 00 00\tPelco-D address 1: pan position 0.00\u00b0; check WRONG "
         "(should be 5a)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        h.pty().WritePeer(FromHex(c.bytes));
        EXPECT_TRUE(h.WaitFor([&] { return HasLine(monitor, c.line); }));
    }

    TempDir dir;
    const std::string path = dir.path() + "/line.csv";
    h.prompter().fileAnswers.push_back(path);
    monitor.OnSave();
    std::ifstream saved(path);
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_EQ(text.str().rfind("ms,direction,bytes,meaning\n", 0), 0u);
    EXPECT_NE(
        text.str().find(",sent,ff 01 00 51 00 00 52,Pelco-D address 1: query pan; check OK\n"),
        std::string::npos);
}

TEST(LineMonitor, PositionControlsSayWhyTheyAreOffForPelcoP) {
    DialogHarness h;
    h.Select(IDC_COMBO_PTZMODEL, 1);
    ASSERT_TRUE(h.OpenPort());
    ASSERT_TRUE(h.Click(IDC_BTN_MONITOR));
    CLineMonitorDlg& monitor = *h.probe().MonitorDialog();
    monitor.Refresh();
    EXPECT_FALSE(monitor.queryButton()->isEnabled());
    EXPECT_FALSE(monitor.setPanButton()->isEnabled());
    EXPECT_EQ(monitor.reasonLabel()->text().toStdString(),
              "Pelco-P has no position commands: these controls work with Pelco-D only.");
}

// A dome at 37 and 9600 baud among three addresses, three rates and both
// protocols: found once; the port goes back to its own rate, and Apply
// takes the camera's settings.
TEST(FindCamera, FindsTheDomeOnceAndPutsThePortBack) {
    DialogHarness h;
    DomeAtPeer peer{h.pty(), VirtualDome(false, 37, 9600)};
    ASSERT_TRUE(h.OpenPort());
    ASSERT_EQ(LineBaud(h.pty().master()), 4800u);
    ASSERT_TRUE(h.Click(IDC_BTN_FINDCAMERA));
    CFindCameraDlg& find = *h.probe().FindDialog();
    find.pelcoPBox()->setChecked(true);
    ASSERT_TRUE(RunScan(h, find, peer));
    ASSERT_EQ(find.results()->rowCount(), 1);
    const auto cell = [&](int c) { return find.results()->item(0, c)->text().toStdString(); };
    EXPECT_EQ(cell(0) + " " + cell(1) + " " + cell(2), "37 Pelco-D 9600");
    EXPECT_EQ(LineBaud(h.pty().master()), 4800u);

    find.results()->selectRow(0);
    Click(find.applyButton());
    EXPECT_EQ(h.Combo(IDC_COMBO_PTZADDRESS)->currentIndex(), 37);
    EXPECT_EQ(h.Combo(IDC_COMBO_PTZMODEL)->currentIndex(), 0);
    EXPECT_EQ(LineBaud(h.pty().master()), 9600u);
}

// A network port is scanned once, at its own settings: a raw server's one
// speed would answer at every rate, and each reconnect would hold the window.
TEST(FindCamera, ScansANetworkPortOnceAtItsOwnSettings) {
    if (!Ser2net::Installed()) {
        GTEST_SKIP() << "ser2net is not installed (scripts/setup installs it)";
    }
    DialogHarness h;
    DomeAtPeer peer{h.pty(), VirtualDome(false, 37, 9600)};
    Ser2net server(h.pty().slavePath(), false);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(h.ports().Link(1, server.Target()));
    ASSERT_TRUE(h.Click(IDC_BTN_OPENPORT));
    ASSERT_TRUE(h.WaitFor([&] { return h.Button(IDC_BTN_OPENPORT)->text() == "Close"; }, 10000));
    ASSERT_TRUE(h.Click(IDC_BTN_FINDCAMERA));
    CFindCameraDlg& find = *h.probe().FindDialog();
    ASSERT_TRUE(RunScan(h, find, peer));
    ASSERT_EQ(find.results()->rowCount(), 1);
    EXPECT_EQ(find.results()->item(0, 2)->text().toStdString(), "4800");
}

TEST(FindCamera, CancelPutsThePortBackAtItsRate) {
    DialogHarness h;
    ASSERT_TRUE(h.OpenPort());
    ASSERT_TRUE(h.Click(IDC_BTN_FINDCAMERA));
    CFindCameraDlg& find = *h.probe().FindDialog();
    Click(find.startButton());
    ASSERT_TRUE(find.Scanning());
    EXPECT_EQ(LineBaud(h.pty().master()), 2400u);
    Click(find.startButton());
    EXPECT_FALSE(find.Scanning());
    EXPECT_EQ(LineBaud(h.pty().master()), 4800u);
    EXPECT_EQ(find.statusLabel()->text().toStdString(), "Cancelled; 0 camera(s) found.");
}

// One wake-up per batch however many reads it holds, and a batch that is not
// taken stops growing.
TEST(LineCapture, WakesOncePerBatchAndStaysBounded) {
    int wakes = 0;
    LineCapture capture([&wakes] { ++wakes; });
    const std::vector<uint8_t> block(4096, 0x55);
    constexpr size_t kBlocks = LineCapture::kMaxPendingBytes / 4096 + 10;
    for (size_t i = 0; i < kBlocks; ++i) {
        capture.OnLine(LineTap::Direction::Received, 0, block.data(), 4096);
    }
    EXPECT_EQ(wakes, 1);
    size_t kept = 0;
    for (const LineCapture::Chunk& c : capture.Take()) {
        kept += c.bytes.size();
    }
    EXPECT_EQ(kept, LineCapture::kMaxPendingBytes);
    EXPECT_EQ(capture.TakeDropped(), 10u * 4096);
    capture.OnLine(LineTap::Direction::Sent, 0, block.data(), 7);
    EXPECT_EQ(wakes, 2);
}

}  // namespace
