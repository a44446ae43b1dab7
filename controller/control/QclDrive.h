#pragma once

#include "KTarvexController.h"
#include "control/Refusal.h"

#include <cstdint>
#include <optional>

namespace tarvex::control {

// Drive parameters for one QCL in the units a caller gives them: pulse rate in Hz, pulse width
// in ns, current in mA, temperature in degrees Celsius. Without a laser mode only the pulse
// parameters and the current change, within the pulsed current limits; with one, the
// temperature and the mode change too, and the current is held to the mode's limits.
struct QclDrive {
    float pulseRateHz = 0;
    float pulseWidthNs = 0;
    float currentMa = 0;
    std::optional<float> temperatureC;
    std::optional<std::uint8_t> laserMode;
};

// Reads the QCL's limits and its present parameters afresh and checks `drive` against the
// limits, in this order: the QCL number, the pulse rate, the pulse width, the laser mode (a
// continuous-wave mode only on a QCL that allows one), the current, the temperature. The limits
// are brought to Hz and ns first; both ends of each range are allowed. ReadFailed when a read
// fails.
Refusal CheckQclDrive(KTarvexController& controller, std::uint8_t qcl, const QclDrive& drive);

// Writes `drive` to the QCL (rate in Hz, width in ns; what `drive` leaves out as the QCL has it)
// and reads the parameters back. False when either fails or the QCL does not hold what was
// written; the cache then keeps what the laser reported (what it had, when nothing could be
// read).
bool ApplyQclDrive(KTarvexController& controller, std::uint8_t qcl, const QclDrive& drive);

} // namespace tarvex::control
