#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>

#include "bench/BenchSession.h"
#include "bench/BenchStats.h"
#include "bench/ListFileWriter.h"
#include "bench/PeerReader.h"
#include "bench/Phases.h"
#include "console/ControlIds.h"

namespace {

using Clock = PeerReader::Clock;

constexpr auto kFrameWait = std::chrono::seconds(2);
// Unrecorded rounds first: the first press pays for lazy set-up in the
// toolkit and the first wake-ups of the port's thread.
constexpr int kWarmUpRounds = 20;

// Stamps the moment a press or release reaches the button, just before the
// button's own handler is entered.
class HandlerEntry : public QObject {
public:
    Clock::time_point pressed;
    Clock::time_point released;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            pressed = Clock::now();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            released = Clock::now();
        }
        return false;
    }
};

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

bool Carries(const std::optional<PeerReader::Frame>& frame, const std::array<uint8_t, 7>& bytes) {
    return frame && frame->size == bytes.size() &&
           std::equal(bytes.begin(), bytes.end(), frame->bytes.begin());
}

std::string Seen(const std::optional<PeerReader::Frame>& frame) {
    if (!frame) {
        return "nothing came within 2 s";
    }
    std::string text = "came:";
    for (std::size_t i = 0; i < frame->size; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", frame->bytes[i]);
        text += hex;
    }
    return text;
}

}  // namespace

void MeasurePressToWire(const BenchOptions& options, std::vector<Measure>& out) {
    const std::string p50Label = "Press to wire, p50";
    const std::string p99Label = "Press to wire, p99";
    const std::string p50Target = "within 1.5x the floor";
    const std::string p99Target = "< 1 ms";
    auto fail = [&](const std::string& reason) {
        out.push_back(NotMeasured("press.p50_us", p50Label, p50Target, reason));
        out.push_back(NotMeasured("press.p99_us", p99Label, p99Target, reason));
    };

    BenchSession session;
    if (const char* reason = session.OpenPelcoD()) {
        fail(reason);
        return;
    }
    PeerReader reader(session.peer(), kUpFrame.size());
    QPushButton* up = session.Button(IDC_BTN_UP);
    HandlerEntry entry;
    up->installEventFilter(&entry);

    std::vector<double> floor;
    std::vector<double> press;
    std::vector<double> release;
    std::vector<double> handler;
    std::string fault;
    for (int round = -kWarmUpRounds; round < options.presses && fault.empty(); ++round) {
        // The floor: the same seven bytes written straight to the device end.
        const Clock::time_point written = Clock::now();
        if (write(session.device(), kUpFrame.data(), kUpFrame.size()) !=
            static_cast<ssize_t>(kUpFrame.size())) {
            fault =
                "the bare write failed after " + std::to_string(round + kWarmUpRounds) + " rounds";
            break;
        }
        const std::optional<PeerReader::Frame> bare = reader.Next(kFrameWait);
        QTest::mousePress(up, Qt::LeftButton);
        const Clock::time_point pressReturned = Clock::now();
        const std::optional<PeerReader::Frame> pressed = reader.Next(kFrameWait);
        QTest::mouseRelease(up, Qt::LeftButton);
        const std::optional<PeerReader::Frame> released = reader.Next(kFrameWait);
        if (!Carries(bare, kUpFrame)) {
            fault = "the bare write did not reach the peer, " + Seen(bare);
        } else if (!Carries(pressed, kUpFrame)) {
            fault = "a press did not put the tilt-up frame on the line, " + Seen(pressed);
        } else if (!Carries(released, kStopFrame)) {
            fault = "a release did not put the stop frame on the line, " + Seen(released);
        } else if (round >= 0) {
            floor.push_back(Micros(bare->at - written));
            press.push_back(Micros(pressed->at - entry.pressed));
            release.push_back(Micros(released->at - entry.released));
            handler.push_back(Micros(pressReturned - entry.pressed));
        }
        // The log's appends and the button's repaints run between rounds, as
        // they would between an operator's presses.
        QCoreApplication::processEvents();
    }
    up->removeEventFilter(&entry);
    if (!fault.empty()) {
        fail(fault);
        return;
    }

    const Summary f = Summarise(floor);
    const Summary p = Summarise(press);
    const Summary r = Summarise(release);
    const Summary h = Summarise(handler);
    const double ratio = f.p50 > 0 ? p.p50 / f.p50 : 0;
    const std::string presses = Grouped(static_cast<long>(p.count)) + " presses";

    Measure p50{"press.p50_us", p50Label + " (" + presses + ")", p.p50, "us", "", p50Target, {}};
    p50.detail = "floor " + FormatValue(f.p50, "us") + ", " + FormatValue(ratio, "x");
    p50.met = ratio <= 1.5;
    out.push_back(p50);

    Measure p99{"press.p99_us", p99Label, p.p99, "us", "", p99Target, p.p99 < 1000.0};
    p99.detail = "floor " + FormatValue(f.p99, "us") + ", slowest " + FormatValue(p.max, "us");
    out.push_back(p99);

    out.push_back(Measure{"press.floor_p50_us",
                          "Floor: bare write of 7 bytes to peer, p50",
                          f.p50,
                          "us",
                          "p99 " + FormatValue(f.p99, "us"),
                          "",
                          {}});
    // The press handler ends with the button's pressed look, painted at once
    // on the dialog's thread; while it paints, the port's thread competes
    // with it for a core.
    out.push_back(Measure{"press.handler_p50_us",
                          "Press handler on the dialog's thread, entry to return, p50",
                          h.p50,
                          "us",
                          "p99 " + FormatValue(h.p99, "us"),
                          "",
                          {}});
    out.push_back(Measure{"press.release_p50_us",
                          "Release to wire, p50",
                          r.p50,
                          "us",
                          "p99 " + FormatValue(r.p99, "us") + ", " +
                              FormatValue(f.p50 > 0 ? r.p50 / f.p50 : 0, "x") + " the floor",
                          "",
                          {}});
}
