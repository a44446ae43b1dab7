#include "SimRig.h"

namespace tarvex::test {

SimRig::SimRig(ControllerProfile profile, sim::InProcessTransport::Style style) {
    controller = std::make_unique<KTarvexController>(profile, &clock);
    auto owned = std::make_unique<sim::InProcessTransport>(link, clock, style);
    transport = owned.get();
    controller->AttachTransport(std::move(owned));
    if (style == sim::InProcessTransport::Style::DatagramThrow)
        controller->SetTransportType(kTransportUdp);
}

bool SimRig::Exchange(std::uint16_t cmdID, std::uint8_t disposition) {
    KTarvexCommand command(cmdID, disposition);
    KTarvexCommand response;
    return controller->Exchange(command, response);
}

void SimRig::InjectNext(sim::Fault fault, int count, std::uint32_t delayMs) {
    sim::FaultRule rule;
    rule.fault = fault;
    rule.count = count;
    rule.delayMs = delayMs;
    faults.Add(rule);
}

} // namespace tarvex::test
