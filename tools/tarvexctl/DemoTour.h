#pragma once

#include "Clock.h"

namespace tarvexctl {

// The terminal tour of the controller on its own simulated laser behind a pseudo-terminal
// (never a real laser): identity, arming, a tune, emission on and off, a sweep, a corrupted
// acknowledgement and disarming. Returns the program's exit status.
int RunDemo(tarvex::Clock& clock);

} // namespace tarvexctl
