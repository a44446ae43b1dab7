#pragma once

// The rules of a QCL's operating settings as a front end edits them: which laser modes a QCL's
// chooser offers, the pulse width its duty cycle leaves room for, and the duty-cycle check
// before the settings are written.

#include "records/IdentityRecords.h"
#include "records/LaserRecords.h"

#include <cstdint>
#include <vector>

namespace tarvex::control {

// The laser modes a QCL may be set to, in the chooser's order: pulsed only; with CW, also CW and
// CW + Modulation; with CW filters fitted, also CW Filter 1 and CW Filter 2.
std::vector<std::uint8_t> OfferedLaserModes(const AdminQclParams& qcl);

// The chooser row that shows a stored laser mode (0, pulsed, for a mode the rows do not know).
int LaserModeRow(std::uint8_t mode);

// The longest pulse a QCL takes at `rateHz`: its maximum width, or less where the width would
// exceed its maximum duty cycle; in ns.
double MaxPulseWidthNs(const AdminQclParams& qcl, double rateHz);

// The duty cycle of a QCL's parameters in percent (their rate and width in their own units);
// 0 at a rate of 0.
double DutyCyclePercent(const LaserQclParams& params);

// Whether `dutyPercent` lies within the QCL's duty-cycle limits; each end may be overshot by
// 0.01 percentage points, which the rounding of a rate and width entered to match a limit
// exactly takes.
bool DutyCycleAllowed(const AdminQclParams& qcl, double dutyPercent);

} // namespace tarvex::control
