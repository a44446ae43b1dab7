#include "DemoLaser.h"

#include "SimPortProvider.h"

namespace tarvex::panel {

DemoLaser::DemoLaser(Clock& clock, std::uint32_t udpAddress, std::uint16_t udpPort)
    : clock_(clock), udpAddress_(udpAddress), udpPort_(udpPort), embedded_(clock) {}

std::unique_ptr<PortProvider> DemoLaser::MakePorts() {
    auto ports = std::make_unique<sim::SimPortProvider>(clock_);
    ports->AddPort(kPortName, embedded_.link);
    ports->SetUdpLaser(udpAddress_, udpPort_, embedded_.link);
    return ports;
}

} // namespace tarvex::panel
