#include "TuningModel.h"

#include "records/LaserRecords.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvex::sim {

float ToMicrons(float value, std::uint8_t unit) {
    if (unit == units::kMicrons)
        return value;
    if (unit == units::kWavenumber)
        return units::Convert(value);
    return 0.0f;
}

float FromMicrons(float microns, std::uint8_t unit) {
    return unit == units::kWavenumber ? units::Convert(microns) : microns;
}

bool Holds(const QclProfile& qcl, float microns) {
    // A little slack, so that a range end given in cm-1 still holds after conversion.
    constexpr float kSlack = 1e-4f;
    return microns >= qcl.MinMicrons() - kSlack && microns <= qcl.MaxMicrons() + kSlack;
}

bool InTuningRange(const LaserProfile& profile, float microns) {
    return std::any_of(profile.qcls.begin(), profile.qcls.end(),
                       [microns](const QclProfile& q) { return Holds(q, microns); });
}

std::uint8_t ChooseQcl(const LaserProfile& profile, float microns, std::uint8_t preferred,
                       std::uint8_t current, bool alwaysUseCrossover) {
    const auto holds = [&](std::uint8_t slot) {
        return slot >= 1 && slot <= profile.qcls.size() && Holds(profile.qcls[slot - 1u], microns);
    };
    if (holds(preferred))
        return preferred;
    if (!alwaysUseCrossover && holds(current))
        return current;
    std::uint8_t best = 0;
    float bestMargin = -1.0f;
    for (std::size_t i = 0; i < profile.qcls.size(); ++i) {
        const auto& q = profile.qcls[i];
        if (!Holds(q, microns))
            continue;
        const float margin = std::min(microns - q.MinMicrons(), q.MaxMicrons() - microns);
        if (margin > bestMargin) {
            bestMargin = margin;
            best = static_cast<std::uint8_t>(i + 1);
        }
    }
    return best;
}

std::uint32_t MoveDurationMs(float fromMicrons, float toMicrons) {
    const float distance = std::fabs(toMicrons - fromMicrons);
    if (distance < 1e-6f)
        return 0;
    const double ms = std::ceil(double{distance} / kSlewMicronsPerSecond * 1000.0);
    return std::max(BoundedMs(ms), kMinMoveMs);
}

std::uint32_t BoundedMs(double ms) {
    constexpr auto kLongest = std::numeric_limits<std::uint32_t>::max();
    if (!(ms < kLongest)) // NaN too
        return kLongest;
    return ms > 0 ? static_cast<std::uint32_t>(ms) : 0;
}

} // namespace tarvex::sim
