#pragma once

#include "SimProcess.h"
#include "SoakReport.h"

#include "KTarvexController.h"

#include <chrono>
#include <cstdint>

namespace tarvex::soak {

struct SoakOptions {
    std::chrono::seconds duration{60};
    double rate = 0.02;                // each fault's share of the exchanges
    std::uint32_t readTimeoutMs = 500; // the host's; late replies come within and past it
    std::chrono::seconds burstEvery{15};
    int burstPackets = 8;
};

// Runs the operations round and round against a connected controller for the options'
// duration while `sim` spoils the exchanges with the fault mix and, now and then, a silence
// burst. `report` receives the counts; its link and memory figures are the caller's.
void RunSoak(KTarvexController& controller, SimProcess& sim, const SoakOptions& options,
             SoakReport& report);

} // namespace tarvex::soak
