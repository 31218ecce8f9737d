#include "tools/DomeCamera.h"

#include <algorithm>
#include <cmath>

namespace {

int Direction(bool plus, bool minus) {
    return (plus ? 1 : 0) - (minus ? 1 : 0);
}

double WrapPan(double pan) {
    pan = std::fmod(pan, 360.0);
    return pan < 0 ? pan + 360.0 : pan;
}

}  // namespace

DomeCamera::DomeCamera(Time now) : m_time(now) {}

double DomeCamera::Rate(uint8_t speed, bool turbo) {
    if (turbo) {
        return kTurboRate;
    }
    // Speed 0 still moves, as slowly as the dome can.
    const uint8_t step = std::clamp<uint8_t>(speed, 1, kTopSpeed);
    return step * kDegreesPerStep;
}

bool DomeCamera::moving() const {
    return m_panDir != 0 || m_tiltDir != 0 || m_zoomDir != 0 || m_focusDir != 0 || m_irisDir != 0 ||
           m_scanning || m_panTarget || m_tiltTarget || m_zoomTarget;
}

void DomeCamera::AdvanceTo(Time now) {
    if (now <= m_time) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - m_time).count();
    m_time = now;
    if (m_panDir != 0) {
        m_pan = WrapPan(m_pan + m_panDir * m_panRate * seconds);
    } else if (m_scanning) {
        m_pan = WrapPan(m_pan + kScanRate * seconds);
    }
    m_tilt = std::clamp(m_tilt + m_tiltDir * m_tiltRate * seconds, kTiltMin, kTiltMax);
    const double lens = kLensRate * seconds;
    m_zoom = std::clamp(m_zoom + m_zoomDir * lens, 0.0, kLensMax);
    m_focus = std::clamp(m_focus + m_focusDir * lens, 0.0, kLensMax);
    m_iris = std::clamp(m_iris + m_irisDir * lens, 0.0, kLensMax);
    AdvanceTargets(seconds);
}

namespace {
// Moves `value` toward `target` by at most `step`; true once there.
bool StepToward(double& value, double target, double step) {
    if (std::fabs(target - value) <= step) {
        value = target;
        return true;
    }
    value += target > value ? step : -step;
    return false;
}
}  // namespace

void DomeCamera::AdvanceTargets(double seconds) {
    if (m_panTarget) {
        // The shorter way round.
        double delta = std::fmod(*m_panTarget - m_pan + 540.0, 360.0) - 180.0;
        double moved = 0;
        const bool there = StepToward(moved, delta, kGoToRate * seconds);
        m_pan = there ? *m_panTarget : WrapPan(m_pan + moved);
        if (there) {
            m_panTarget.reset();
        }
    }
    if (m_tiltTarget && StepToward(m_tilt, *m_tiltTarget, kGoToRate * seconds)) {
        m_tiltTarget.reset();
    }
    if (m_zoomTarget && StepToward(m_zoom, *m_zoomTarget, kLensRate * seconds)) {
        m_zoomTarget.reset();
    }
}

std::string DomeCamera::Apply(const DomeCommand& command, Time now) {
    AdvanceTo(now);
    switch (command.kind) {
        case DomeCommand::Kind::Standard:
            ApplyStandard(command);
            return {};
        case DomeCommand::Kind::Extended:
            return ApplyExtended(command);
        case DomeCommand::Kind::Switch:
            m_switchOn = command.switchOn;
            return {};
    }
    return {};
}

// A standard frame states the whole motion: whatever it does not ask for
// stops, so the all-zero frame is the stop.
void DomeCamera::ApplyStandard(const DomeCommand& c) {
    m_panDir = Direction(c.panRight, c.panLeft);
    m_tiltDir = Direction(c.tiltUp, c.tiltDown);
    m_zoomDir = Direction(c.zoomTele, c.zoomWide);
    m_focusDir = Direction(c.focusFar, c.focusNear);
    m_irisDir = Direction(c.irisOpen, c.irisClose);
    m_panRate = Rate(c.panSpeed, c.panTurbo);
    m_tiltRate = Rate(c.tiltSpeed, false);
    if (m_panDir != 0 || m_tiltDir != 0) {
        m_scanning = false;  // steering by hand takes over from a scan
    }
    // Any standard frame, the stop included, ends an absolute move.
    m_panTarget.reset();
    m_tiltTarget.reset();
    m_zoomTarget.reset();
    if (c.scan != DomeCommand::Toggle::None) {
        m_scanning = c.scan == DomeCommand::Toggle::On;
    }
    if (c.power != DomeCommand::Toggle::None) {
        m_powered = c.power == DomeCommand::Toggle::On;
    }
}

std::string DomeCamera::ApplyExtended(const DomeCommand& c) {
    const uint8_t id = c.data2;
    switch (c.opcode) {
        case kSetPreset:
            m_presets[id] = Position{m_pan, m_tilt};
            return {};
        case kClearPreset:
            if (m_presets.erase(id) == 0) {
                return "preset " + std::to_string(id) + " was not set";
            }
            return {};
        case kGoToPreset: {
            if (id == kScanStartPreset) {
                m_scanning = true;
                return {};
            }
            if (id == kScanStopPreset) {
                m_scanning = false;
                return {};
            }
            const auto it = m_presets.find(id);
            if (it == m_presets.end()) {
                return "preset " + std::to_string(id) + " not set";
            }
            m_pan = it->second.pan;
            m_tilt = it->second.tilt;
            m_panDir = 0;
            m_tiltDir = 0;
            m_panTarget.reset();
            m_tiltTarget.reset();
            m_scanning = false;
            return {};
        }
        case kSetAux:
            m_aux.insert(id);
            return {};
        case kClearAux:
            m_aux.erase(id);
            return {};
        case kSetPan:
            m_panTarget = PanDegrees(c.value());
            m_panDir = 0;
            m_scanning = false;
            return {};
        case kSetTilt: {
            const double tilt = TiltDegrees(c.value());
            m_tiltTarget = std::clamp(tilt, kTiltMin, kTiltMax);
            m_tiltDir = 0;
            return tilt < kTiltMin || tilt > kTiltMax ? "tilt limited to the dome's range"
                                                      : std::string();
        }
        case kSetZoom:
            m_zoomTarget = c.value() * kLensMax / kZoomValueMax;
            m_zoomDir = 0;
            return {};
        case kQueryPan:
        case kQueryTilt:
        case kQueryZoom:
            return {};
        default:
            return "command unknown to this dome";
    }
}

std::optional<DomeCamera::Position> DomeCamera::preset(uint8_t id) const {
    const auto it = m_presets.find(id);
    if (it == m_presets.end()) {
        return std::nullopt;
    }
    return it->second;
}
