#pragma once

#include "LaserProfile.h"
#include "records/DiagnosticRecords.h"

#include <cstdint>

namespace tarvex::sim {

// The physics behind the diagnostic readings.

// A grating in Littrow: the wavelength sets the angle (lambda = 2 d sin(theta)) and the encoder
// counts the angle from home. 0 for calibration values that describe no grating.
std::int32_t EncoderCount(const MotionTestParams& calibration, float microns);
// The factory calibration of a module's grating, spaced so that its whole range sits below
// 30 degrees.
MotionTestParams DefaultCalibration(const QclProfile& qcl, std::uint8_t slot);

// A 10 kOhm NTC thermistor (beta 3950) on the TEC plate.
float ThermistorOhms(float celsius);
// The voltage across a TEC driving `amps`.
float TecVolts(float amps);

} // namespace tarvex::sim
