#pragma once

#include "LaserProfile.h"
#include "SimState.h"

#include <cstdint>
#include <string>

namespace tarvex::sim {

// The firmware's scan run: a started scan follows its plan on the simulated clock, moving the
// laser's wavelength and lasing QCL. All functions run under the SimLaser's lock.

// Starts the scan of the current scan mode (replacing any run); false, with the reason, when
// its record cannot be run.
bool StartScanRun(SimState& state, const LaserProfile& profile, std::string& why);
void StopScanRun(ScanSimState& scan);
// False when there is no run to pause, or no paused run to resume.
bool PauseScanRun(ScanSimState& scan);
bool ResumeScanRun(ScanSimState& scan);
// A manual step or process trigger: opens a trigger gate or ends the current dwell.
void StepScanRun(SimState& state, const LaserProfile& profile);

void AdvanceScanRun(SimState& state, const LaserProfile& profile, std::uint64_t dtMs);

// The scan progress indicator bits and the scan's part of the status mask.
std::uint8_t ScanProgressBits(const ScanSimState& scan);
std::uint32_t ScanStatusMaskBits(const ScanSimState& scan);

} // namespace tarvex::sim
