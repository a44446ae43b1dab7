#pragma once

#include "Clock.h"
#include "FaultInjector.h"
#include "InProcessTransport.h"
#include "KTarvexController.h"
#include "LaserProfile.h"
#include "SimLaser.h"
#include "SimLink.h"

#include <memory>
#include <vector>

namespace tarvex::test {

// A record's wire bytes, to compare records field by field or to stage raw replies.
template <typename Record> std::vector<std::uint8_t> WireBytes(const Record& record) {
    std::vector<std::uint8_t> bytes(wire::WireSize<Record>());
    wire::Encode(record, bytes.data());
    return bytes;
}

// Whether another thread could take the controller's link at this moment.
bool LinkFreeForAnotherThread(KTarvexController& controller);

// The default laser with only its first `count` modules installed.
sim::LaserProfile LaserWithQcls(std::size_t count);
// Two modules in microns, covering `first` and `second` (lowest, highest).
sim::LaserProfile TwoMicronModules(std::pair<float, float> first, std::pair<float, float> second);

// The simulated laser on simulated time, and the faults of its link.
struct SimLaserRig {
    explicit SimLaserRig(sim::LaserProfile profile = sim::LaserProfile::Default())
        : laser(clock, std::move(profile)) {}

    ManualClock clock;
    sim::SimLaser laser;
    sim::FaultInjector faults;
    sim::SimLink link{laser, faults};

    void InjectNext(sim::Fault fault, int count = 1, std::uint32_t delayMs = 0);
    // Spoils the next `count` exchanges of one command id (all of them for a negative count).
    void InjectFor(std::uint16_t cmdID, sim::Fault fault, int count = 1);
};

// One status mask read through the controller's exchange; `reply`, when given, receives the
// response.
bool StatusExchange(KTarvexController& controller, KTarvexCommand* reply = nullptr);

// A controller wired to the simulated laser in process.
struct SimRig : SimLaserRig {
    explicit SimRig(
        ControllerProfile profile = ControllerProfile::Panel(),
        sim::InProcessTransport::Style style = sim::InProcessTransport::Style::SerialThrow,
        sim::LaserProfile laserProfile = sim::LaserProfile::Default());

    std::unique_ptr<KTarvexController> controller;
    sim::InProcessTransport* transport = nullptr; // owned by the controller

    // One exchange of a fresh command with the given id and disposition.
    bool Exchange(std::uint16_t cmdID, std::uint8_t disposition = kRead);
    // Tells the controller how many modules are installed, as the identity read would.
    void SetInstalledQcls(std::uint8_t count);
    // The packets the host sent, decoded.
    std::vector<KTarvexCommand> SentPackets() const;
    // The disposition of each packet the host sent for one command id.
    std::vector<std::uint8_t> Dispositions(std::uint16_t cmdID) const;
    // The request payloads the laser executed for one command id, in order.
    std::vector<std::vector<std::uint8_t>> Requests(std::uint16_t cmdID) const;
    // Copies of the controller's cache and of the simulated laser's state as of now.
    LaserCache Cache() const { return controller->Snapshot(); }
    sim::SimState State() {
        return laser.Inspect([](const sim::SimState& s) { return s; });
    }
};

} // namespace tarvex::test
