#include "DiagnosticReadings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvex::sim {

std::int32_t EncoderCount(const MotionTestParams& calibration, float microns) {
    if (!(calibration.gratingSpacing > 0.0f) || calibration.radiansPerCount == 0.0f)
        return 0;
    const double sine = std::clamp(microns / (2.0 * calibration.gratingSpacing), -1.0, 1.0);
    const double counts = (std::asin(sine) - calibration.homeRadians) / calibration.radiansPerCount;
    constexpr double kLow = std::numeric_limits<std::int32_t>::min();
    constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::lround(std::clamp(counts, kLow, kHigh)));
}

MotionTestParams DefaultCalibration(const QclProfile& qcl, std::uint8_t slot) {
    return {.slot = slot,
            .gratingSpacing = qcl.MaxMicrons(),
            .radiansPerCount = 2e-5f,
            .homeRadians = 0.1f};
}

float ThermistorOhms(float celsius) {
    constexpr double kR25 = 10000.0, kBeta = 3950.0, kT25 = 298.15;
    return static_cast<float>(kR25 * std::exp(kBeta * (1.0 / (celsius + 273.15) - 1.0 / kT25)));
}

float TecVolts(float amps) {
    constexpr float kTecOhms = 1.6f;
    return amps * kTecOhms;
}

} // namespace tarvex::sim
