#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "tools/DomeFrame.h"

// One simulated dome. Its clock is whatever the caller passes in (time since
// the virtual dome started), so the motion can be checked without sleeping.
class DomeCamera {
public:
    using Time = std::chrono::milliseconds;

    struct Position {
        double pan = 0;
        double tilt = 0;
    };

    static constexpr double kTiltMin = -90.0;  // straight down
    static constexpr double kTiltMax = 0.0;    // horizon
    static constexpr double kStartTilt = -45.0;
    static constexpr double kDegreesPerStep = 1.5;  // per speed step per second
    static constexpr double kTurboRate = 150.0;     // degrees per second
    static constexpr double kScanRate = 20.0;       // degrees per second
    static constexpr double kLensRate = 25.0;       // lens units per second
    static constexpr double kLensMax = 100.0;
    static constexpr uint8_t kTopSpeed = 0x3F;
    // Absolute moves run at the top speed.
    static constexpr double kGoToRate = kTopSpeed * kDegreesPerStep;

    explicit DomeCamera(Time now = Time{0});

    // Degrees per second for a speed byte; bytes above the top speed count
    // as the top speed, turbo overrides.
    static double Rate(uint8_t speed, bool turbo);

    // Moves everything that is in motion up to `now`. Time never runs back.
    void AdvanceTo(Time now);

    // Advances to `now`, then carries the command out. Returns a remark for
    // the log when the command could not be done as asked, else empty.
    std::string Apply(const DomeCommand& command, Time now);

    double pan() const { return m_pan; }
    double tilt() const { return m_tilt; }
    double zoom() const { return m_zoom; }
    double focus() const { return m_focus; }
    double iris() const { return m_iris; }
    bool scanning() const { return m_scanning; }
    bool powered() const { return m_powered; }
    bool switchOn() const { return m_switchOn; }
    bool moving() const;
    const std::set<uint8_t>& auxOn() const { return m_aux; }
    std::optional<Position> preset(uint8_t id) const;

private:
    void ApplyStandard(const DomeCommand& c);
    std::string ApplyExtended(const DomeCommand& c);
    void AdvanceTargets(double seconds);

    Time m_time;
    double m_pan = 0;
    double m_tilt = kStartTilt;
    double m_zoom = 0;
    double m_focus = kLensMax / 2;
    double m_iris = kLensMax / 2;
    int m_panDir = 0;    // +1 right, -1 left
    int m_tiltDir = 0;   // +1 up, -1 down
    int m_zoomDir = 0;   // +1 tele
    int m_focusDir = 0;  // +1 far
    int m_irisDir = 0;   // +1 open
    // Where an absolute move is headed; unset when none runs.
    std::optional<double> m_panTarget;
    std::optional<double> m_tiltTarget;
    std::optional<double> m_zoomTarget;
    double m_panRate = 0;
    double m_tiltRate = 0;
    bool m_scanning = false;
    bool m_powered = true;
    bool m_switchOn = false;
    std::set<uint8_t> m_aux;
    std::map<uint8_t, Position> m_presets;
};
