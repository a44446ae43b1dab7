#pragma once
// The lines a running simulated laser takes on its standard input: faults, the status mask and
// the hardware a user would touch (interlock, key switch, pointer, fault and warning codes).

#include "FaultInjector.h"
#include "SimLaser.h"

#include <string>

namespace tarvex::sim {

enum class ControlResult { kApplied, kQuit, kRefused };

// Applies one line. A line that is refused changes nothing, and `error` says why.
ControlResult ApplyControlLine(const std::string& line, SimLaser& laser, FaultInjector& faults,
                               std::string& error);

} // namespace tarvex::sim
