#pragma once

#include "Clock.h"
#include "FaultInjector.h"
#include "InProcessTransport.h"
#include "KTarvexController.h"
#include "SimLaser.h"
#include "SimLink.h"

#include <memory>

namespace tarvex::test {

// A controller wired to the simulated laser in process, on simulated time.
struct SimRig {
    explicit SimRig(
        ControllerProfile profile = ControllerProfile::Panel(),
        sim::InProcessTransport::Style style = sim::InProcessTransport::Style::SerialThrow);

    ManualClock clock;
    sim::SimLaser laser{clock};
    sim::FaultInjector faults;
    sim::SimLink link{laser, faults};
    std::unique_ptr<KTarvexController> controller;
    sim::InProcessTransport* transport = nullptr; // owned by the controller

    // One exchange of a fresh command with the given id and disposition.
    bool Exchange(std::uint16_t cmdID, std::uint8_t disposition = kRead);
    void InjectNext(sim::Fault fault, int count = 1, std::uint32_t delayMs = 0);
};

} // namespace tarvex::test
