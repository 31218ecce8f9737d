// The operator's console driving a simulated dome through the real serial
// port: what the list shows is what the dome received, and the dome does
// what the button says.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <cmath>
#include <functional>
#include <set>
#include <string>

#include "console/ControlIds.h"
#include "tests/e2e/E2eSession.h"

namespace {

struct Protocol {
    const char* name;
    int model;
    uint8_t address;
};
const Protocol kProtocols[] = {{"Pelco-D", 0, 3}, {"Pelco-P", 1, 3}};

// Where the dome is, in the terms a hold button moves it.
struct Pose {
    double pan, tilt, zoom, focus, iris;
};

Pose PoseOf(const std::optional<DomeCamera>& camera) {
    const DomeCamera c = camera.value_or(DomeCamera{});
    return {c.pan(), c.tilt(), c.zoom(), c.focus(), c.iris()};
}

// Difference on the pan circle, in (-180, 180].
double PanDelta(double from, double to) {
    double d = std::fmod(to - from + 540.0, 360.0) - 180.0;
    return d == -180.0 ? 180.0 : d;
}

// A dialog with its port open on a dome, the driver and rate chosen first.
class DomeConsole {
public:
    DomeConsole(const Protocol& p, const char* rate) {
        h.Select(IDC_COMBO_PTZMODEL, p.model);
        h.Select(IDC_COMBO_PTZADDRESS, p.address);
        opened = h.OpenPort();
        h.Type(IDC_EDIT_CTRLRATE, rate);  // only editable with the port open
    }

    ScopedManualTicks ticks{5000};
    DialogHarness h;
    DomePeer dome{h.pty().master()};
    bool opened = false;
};

TEST(ConsoleSession, HoldButtonsStartTheirMotionAndTheReleaseStopsIt) {
    struct Hold {
        int id;
        const char* meaning;
        int pan, tilt, zoom, focus, iris;  // the way the dome moves while held
    };
    const Hold holds[] = {
        {IDC_BTN_UP, "tilt up speed 0x15", 0, 1, 0, 0, 0},
        {IDC_BTN_DOWN, "tilt down speed 0x15", 0, -1, 0, 0, 0},
        {IDC_BTN_LEFT, "pan left speed 0x15", -1, 0, 0, 0, 0},
        {IDC_BTN_RIGHT, "pan right speed 0x15", 1, 0, 0, 0, 0},
        {IDC_BTN_LU, "pan left speed 0x15, tilt up speed 0x15", -1, 1, 0, 0, 0},
        {IDC_BTN_RU, "pan right speed 0x15, tilt up speed 0x15", 1, 1, 0, 0, 0},
        {IDC_BTN_LD, "pan left speed 0x15, tilt down speed 0x15", -1, -1, 0, 0, 0},
        {IDC_BTN_RD, "pan right speed 0x15, tilt down speed 0x15", 1, -1, 0, 0, 0},
        {IDC_BTN_TELE, "zoom tele", 0, 0, 1, 0, 0},
        {IDC_BTN_WIDE, "zoom wide", 0, 0, -1, 0, 0},
        {IDC_BTN_NEAR, "focus near", 0, 0, 0, -1, 0},
        {IDC_BTN_FAR, "focus far", 0, 0, 0, 1, 0},
        {IDC_BTN_CLOSE, "iris close", 0, 0, 0, 0, -1},
        {IDC_BTN_OPEN, "iris open", 0, 0, 0, 0, 1},
    };
    // Rate 0x15 moves 21 steps of 1.5 degrees a second; lenses 25 units.
    constexpr uint32_t kHeldMs = 400;
    constexpr double kDegrees = 21 * DomeCamera::kDegreesPerStep * 0.4;
    constexpr double kLens = DomeCamera::kLensRate * 0.4;

    for (const Protocol& p : kProtocols) {
        SCOPED_TRACE(p.name);
        DomeConsole s(p, "21");
        ASSERT_TRUE(s.opened);
        int index = 0;
        for (const Hold& hold : holds) {
            SCOPED_TRACE(hold.meaning);
            const Pose before = PoseOf(s.dome.Camera(p.address));
            s.h.Press(hold.id);
            ASSERT_TRUE(ListedAndReceived(s.h, s.dome, index, p.address, hold.meaning));
            EXPECT_EQ(s.h.Row(index).interval, "0");
            EXPECT_TRUE(s.dome.Camera(p.address)->moving());

            s.ticks.Advance(kHeldMs);
            s.h.Release(hold.id);
            ASSERT_TRUE(ListedAndReceived(s.h, s.dome, index + 1, p.address, "stop"));
            EXPECT_EQ(s.h.Row(index + 1).interval, std::to_string(kHeldMs));
            index += 2;

            const DomeCamera camera = *s.dome.Camera(p.address);
            const Pose after = PoseOf(camera);
            EXPECT_FALSE(camera.moving());
            EXPECT_NEAR(PanDelta(before.pan, after.pan), hold.pan * kDegrees, 1e-6);
            EXPECT_NEAR(after.tilt - before.tilt, hold.tilt * kDegrees, 1e-6);
            EXPECT_NEAR(after.zoom - before.zoom, hold.zoom * kLens, 1e-6);
            EXPECT_NEAR(after.focus - before.focus, hold.focus * kLens, 1e-6);
            EXPECT_NEAR(after.iris - before.iris, hold.iris * kLens, 1e-6);
        }
        s.dome.Stop();
        EXPECT_EQ(s.dome.GarbageBytes(), 0u);
        EXPECT_EQ(s.dome.FrameCount(), 2 * std::size(holds));
    }
}

TEST(ConsoleSession, FunctionButtonsStoreCallAndClearOnTheDome) {
    using Check = std::function<void(const DomeCamera&)>;
    struct Step {
        int id;
        bool hold;            // pressed for a second, then released
        const char* meaning;  // of the press or the click
        Check after;
    };
    const auto at = [](double pan, double tilt) {
        return [pan, tilt](const DomeCamera& c) {
            EXPECT_NEAR(c.pan(), pan, 1e-6);
            EXPECT_NEAR(c.tilt(), tilt, 1e-6);
        };
    };
    const auto none = [](const DomeCamera&) {};
    // Rate 20: 30 degrees a second.
    const Step steps[] = {
        {IDC_BTN_RIGHT, true, "pan right speed 0x14", at(30, -45)},
        {IDC_BTN_PRESET, false, "set preset 5",
         [](const DomeCamera& c) {
             ASSERT_TRUE(c.preset(5));
             EXPECT_NEAR(c.preset(5)->pan, 30, 1e-6);
             EXPECT_NEAR(c.preset(5)->tilt, -45, 1e-6);
         }},
        {IDC_BTN_UP, true, "tilt up speed 0x14", at(30, -15)},
        {IDC_BTN_CALL, false, "go to preset 5", at(30, -45)},
        {IDC_BTN_SETAUX, false, "set aux 5",
         [](const DomeCamera& c) { EXPECT_EQ(c.auxOn(), std::set<uint8_t>{5}); }},
        {IDC_BTN_CLRAUX, false, "clear aux 5",
         [](const DomeCamera& c) { EXPECT_TRUE(c.auxOn().empty()); }},
        {IDC_BTN_DELETE, false, "clear preset 5",
         [](const DomeCamera& c) { EXPECT_FALSE(c.preset(5)); }},
        {IDC_BTN_HOME, false, "go to preset 34", none},
        {IDC_BTN_MENU, false, "go to preset 95", none},
        {IDC_BTN_MEMORY, false, "go to preset 98", none},
        {IDC_BTN_TOUR, false, "go to preset 76", none},
        {IDC_BTN_SCAN, false, "go to preset 99",
         [](const DomeCamera& c) { EXPECT_TRUE(c.scanning()); }},
        {IDC_BTN_STOP, false, "go to preset 96",
         [](const DomeCamera& c) { EXPECT_FALSE(c.scanning()); }},
    };

    for (const Protocol& p : kProtocols) {
        SCOPED_TRACE(p.name);
        DomeConsole s(p, "20");
        ASSERT_TRUE(s.opened);
        s.h.Combo(IDC_COMBO_PRESETID)->setCurrentIndex(5);
        int index = 0;
        for (const Step& step : steps) {
            SCOPED_TRACE(step.meaning);
            if (step.hold) {
                s.h.Press(step.id);
                ASSERT_TRUE(ListedAndReceived(s.h, s.dome, index++, p.address, step.meaning));
                s.ticks.Advance(1000);
                s.h.Release(step.id);
                ASSERT_TRUE(ListedAndReceived(s.h, s.dome, index++, p.address, "stop"));
            } else {
                ASSERT_TRUE(s.h.Click(step.id));
                EXPECT_EQ(s.h.Rows(), index + 1) << "listed at once, not by the log thread";
                ASSERT_TRUE(ListedAndReceived(s.h, s.dome, index++, p.address, step.meaning));
            }
            step.after(*s.dome.Camera(p.address));
        }

        // SHOT sends nothing: the next frame the dome sees is MENU's.
        ASSERT_TRUE(s.h.Click(IDC_BTN_SHOT));
        EXPECT_EQ(s.h.Rows(), index);
        ASSERT_TRUE(s.h.Click(IDC_BTN_MENU));
        ASSERT_TRUE(ListedAndReceived(s.h, s.dome, index, p.address, "go to preset 95"));
        s.dome.Stop();
        EXPECT_EQ(s.dome.FrameCount(), static_cast<size_t>(index) + 1);
        EXPECT_EQ(s.dome.GarbageBytes(), 0u);
    }
}

TEST(ConsoleSession, ManualHexCommandGoesOutInTheChosenProtocol) {
    struct Manual {
        const char* text;
        const char* meaning;
    };
    const Manual commands[] = {
        {"00 08 15 2a", "tilt up speed 0x2a"}, {"0x00 0x07 0x00 0x22", "go to preset 34"},
        {"0 3 0 b", "set preset 11"},          {"0X00 0X09 0X00 0X07 0xff", "set aux 7"},
        {"00 04 3f", "pan left speed 0x3f"},   {"", "stop"},
    };
    for (const Protocol& p : kProtocols) {
        SCOPED_TRACE(p.name);
        DomeConsole s(p, "32");
        ASSERT_TRUE(s.opened);
        int index = 0;
        for (const Manual& m : commands) {
            SCOPED_TRACE(m.text);
            s.h.Type(IDC_EDIT_HEXCOMMAND, m.text);
            ASSERT_TRUE(s.h.Click(IDC_BTN_SEND));
            EXPECT_EQ(s.h.Rows(), index + 1);
            ASSERT_TRUE(ListedAndReceived(s.h, s.dome, index++, p.address, m.meaning));
        }
    }
}

}  // namespace
