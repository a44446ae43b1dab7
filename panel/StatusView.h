#pragma once

#include "KTarvexController.h"

#include <QString>

#include <array>
#include <cstdint>

namespace tarvex::panel {

// What the status display draws, copied from the controller's cache in one go so that a redraw
// shows one moment of the laser.
struct StatusView {
    std::uint32_t mask = 0;
    std::uint16_t errorWord = 0;
    InfoLight light;
    std::uint8_t activeQcl = 0; // 0 none, else 1 to 4
    std::size_t installed = 0;
    std::array<LaserQclParams, kMaxQcls> qclParams{};
    std::array<QclInfoParam, kMaxQcls> qclInfo{};
    std::array<TecMeas, kMaxQcls> tecMeas{};
    TestLaserInfo systemTemps;
    TuningRange overall;

    bool Bit(std::uint32_t bit) const { return (mask & bit) != 0; }
    bool EmissionOn() const { return light.light_out != 0; }
    // The active QCL's parameters; null when none is active.
    const LaserQclParams* ActiveParams() const {
        return activeQcl >= 1 && activeQcl <= kMaxQcls ? &qclParams[activeQcl - 1u] : nullptr;
    }
};

StatusView ReadStatusView(const KTarvexController& controller);

// A wavenumber held to the laser's overall range in cm-1 (left alone while the range is
// unknown).
float LimitToRange(float wavenumber, const TuningRange& overall);

// What the laser is busy with while a tune or scan is not yet active: "(adjusting temperature)
// ", "(adjusting wavelength)" and "(safety timer active)", those that apply, in that order.
QString ProgressPhrases(const ScanStatus& status);

} // namespace tarvex::panel
