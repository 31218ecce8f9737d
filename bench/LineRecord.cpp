// The list equals the wire under bursts: every command the program accepted
// reaches the peer, decoded by the virtual dome's decoder, and has exactly one
// row, in the order it went out.

#include <QTest>
#include <chrono>
#include <cstdio>
#include <functional>

#include "bench/BenchSession.h"
#include "bench/Phases.h"
#include "console/ControlIds.h"
#include "ptz/PtzBase.h"
#include "tests/support/DomePeer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Tally {
    long sent = 0;     // accepted by the port
    long refused = 0;  // refused, so neither sent nor listed
    long listed = 0;
    long decoded = 0;
    long outOfOrder = 0;  // rows whose frame is not the one decoded at that place
};

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, text.empty() ? "%02x" : " %02x", b);
        text += hex;
    }
    return text;
}

// Runs `act` `count` times, `gap` apart (none: back to back), counting what
// the port accepted, then waits for the rows and the frames to settle.
Tally Burst(BenchSession& session, DomePeer& dome, int count, Clock::duration gap,
            const std::function<void(int)>& act) {
    Tally t;
    const int rowsBefore = session.Rows();
    const size_t framesBefore = dome.FrameCount();
    Clock::time_point next = Clock::now();
    for (int i = 0; i < count; ++i) {
        act(i);
        (session.probe().Driver()->LastFrameRefused() ? t.refused : t.sent) += 1;
        if (gap > Clock::duration::zero()) {
            next += gap;
            while (Clock::now() < next) {
                QCoreApplication::processEvents();
            }
        }
    }
    session.WaitForRows(rowsBefore + static_cast<int>(t.sent), 20000);
    dome.WaitForFrames(framesBefore + static_cast<size_t>(t.sent), 20000);
    RunEventLoop(std::chrono::milliseconds(300));  // anything extra shows up too
    t.listed = session.Rows() - rowsBefore;
    t.decoded = static_cast<long>(dome.FrameCount() - framesBefore);
    const long compared = std::min(t.listed, t.decoded);
    for (long i = 0; i < compared; ++i) {
        if (session.Row(rowsBefore + static_cast<int>(i)).message !=
            Hex(dome.Frame(framesBefore + static_cast<size_t>(i)).bytes)) {
            ++t.outOfOrder;
        }
    }
    return t;
}

void Report(std::vector<Measure>& out, const std::string& id, const std::string& label, long sent,
            const Tally& t) {
    const bool equal = t.sent == sent && t.listed == sent && t.decoded == sent && t.outOfOrder == 0;
    out.push_back(Measure{id, label, static_cast<double>(sent - t.listed), "",
                          "sent " + Grouped(t.sent) + " / listed " + Grouped(t.listed) +
                              " / decoded " + Grouped(t.decoded) + ", refused " +
                              Grouped(t.refused) + ", out of order " + Grouped(t.outOfOrder),
                          "0 lost, all equal", equal});
}

}  // namespace

void MeasureLineRecord(const BenchOptions&, std::vector<Measure>& out) {
    BenchSession session;
    if (const char* reason = session.OpenPelcoD()) {
        out.push_back(NotMeasured("record.pairs_lost", "Rows lost", "0 lost", reason));
        return;
    }
    DomePeer dome(session.peer());
    // Rows past these bursts would make the list ask before it is emptied.
    session.dlg().EmptyCommandList();

    constexpr int kPairs = 2000;
    QWidget* up = session.Item(IDC_BTN_UP);
    const Tally pairs = Burst(session, dome, 2 * kPairs, Clock::duration::zero(), [up](int i) {
        if (i % 2 == 0) {
            QTest::mousePress(up, Qt::LeftButton);
        } else {
            QTest::mouseRelease(up, Qt::LeftButton);
        }
    });
    Report(out, "record.pairs_lost",
           "2,000 press/release pairs back to back: rows lost (sent / listed / decoded)",
           2L * kPairs, pairs);

    // Hold rows (through the log thread) mixed with rows the dialog lists
    // itself, half a millisecond apart.
    constexpr int kFrames = 10000;
    QWidget* right = session.Item(IDC_BTN_RIGHT);
    const Tally console =
        Burst(session, dome, kFrames, std::chrono::microseconds(500), [&session, right](int i) {
            switch (i % 3) {
                case 0:
                    QTest::mousePress(right, Qt::LeftButton);
                    break;
                case 1:
                    QTest::mouseRelease(right, Qt::LeftButton);
                    break;
                default:
                    session.Click(IDC_BTN_MENU);
            }
        });
    Report(out, "record.console_lost",
           "10,000 console frames 0.5 ms apart: rows lost (sent / listed / decoded)", kFrames,
           console);
    dome.Stop();
}
