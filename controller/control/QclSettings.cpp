#include "control/QclSettings.h"

#include "PulseUnits.h"

#include <algorithm>

namespace tarvex::control {

namespace {

constexpr std::uint8_t kCwModulation = 3;
constexpr std::uint8_t kCwFilter1 = 8, kCwFilter2 = 9;
constexpr double kDutyCycleTolerance = 0.01;

} // namespace

std::vector<std::uint8_t> OfferedLaserModes(const AdminQclParams& qcl) {
    std::vector<std::uint8_t> modes{laser_mode::kPulsed};
    if (!AllowsCw(qcl))
        return modes;
    modes.insert(modes.end(), {laser_mode::kCw, kCwModulation});
    if (HasCwFilters(qcl))
        modes.insert(modes.end(), {kCwFilter1, kCwFilter2});
    return modes;
}

int LaserModeRow(std::uint8_t mode) {
    switch (mode) {
    case 2:
        return 1;
    case 3:
        return 2;
    case 4:
    case 8:
        return 3;
    case 5:
    case 9:
        return 4;
    case 6:
        return 5;
    case 7:
        return 6;
    default:
        return 0;
    }
}

double MaxPulseWidthNs(const AdminQclParams& qcl, double rateHz) {
    const double widest = units::WidthInNs(qcl.max_pulse_width, qcl.pulse_width_unit);
    if (rateHz <= 0)
        return widest;
    return std::min(widest, MaxDutyCycle(qcl) / 100.0 / rateHz * 1e9);
}

double DutyCyclePercent(const LaserQclParams& params) {
    const double rateHz = units::RateInHz(params.pulse_rate, params.pulse_rate_unit);
    if (rateHz == 0)
        return 0;
    const double widthS = units::WidthInNs(params.pulse_width, params.pulse_width_unit) / 1e9;
    return widthS * rateHz * 100.0;
}

bool DutyCycleAllowed(const AdminQclParams& qcl, double dutyPercent) {
    return qcl.min_duty_cycle - dutyPercent <= kDutyCycleTolerance &&
           dutyPercent - MaxDutyCycle(qcl) <= kDutyCycleTolerance;
}

} // namespace tarvex::control
