#pragma once

#include "EmbeddedLaser.h"
#include "transport/PortProvider.h"

#include <cstdint>
#include <memory>

namespace tarvex::panel {

// The built-in laser of "-demo": the simulated default four-module laser in the panel's own
// process, found by the ordinary connection search on a port of its own or at the UDP address
// the settings name.
class DemoLaser {
public:
    static constexpr const char* kPortName = "simulated-laser";

    DemoLaser(Clock& clock, std::uint32_t udpAddress, std::uint16_t udpPort);

    sim::SimLaser& Laser() { return embedded_.laser; }
    // The ports the connection search sees: the laser on kPortName and at the UDP address.
    std::unique_ptr<PortProvider> MakePorts();

private:
    Clock& clock_;
    std::uint32_t udpAddress_;
    std::uint16_t udpPort_;
    sim::EmbeddedLaser embedded_;
};

} // namespace tarvex::panel
