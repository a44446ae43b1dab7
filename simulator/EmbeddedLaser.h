#pragma once

#include "Clock.h"
#include "FaultInjector.h"
#include "LaserProfile.h"
#include "SimLaser.h"
#include "SimLink.h"

namespace tarvex::sim {

// The simulated laser and its link, to be attached in the host's own process: what a front end
// runs against when there is no laser (its link goes to a SimPortProvider, a SimFtdiBackend or
// an InProcessTransport). On real time unless given another clock.
struct EmbeddedLaser {
    explicit EmbeddedLaser(Clock& clock = SystemClock::Instance(),
                           LaserProfile profile = LaserProfile::Default())
        : laser(clock, std::move(profile)) {}

    SimLaser laser;
    FaultInjector faults;
    SimLink link{laser, faults};
};

} // namespace tarvex::sim
