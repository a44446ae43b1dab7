#include "SimRig.h"

#include "CommandIds.h"

#include <mutex>
#include <thread>
#include <tuple>

namespace tarvex::test {

bool LinkFreeForAnotherThread(KTarvexController& controller) {
    bool taken = false;
    std::thread other([&] {
        std::unique_lock lock(controller.TransactionMutex(), std::try_to_lock);
        taken = lock.owns_lock();
    });
    other.join();
    return taken;
}

sim::LaserProfile LaserWithQcls(std::size_t count) {
    auto profile = sim::LaserProfile::Default();
    profile.qcls.resize(count);
    return profile;
}

sim::LaserProfile TwoMicronModules(std::pair<float, float> first, std::pair<float, float> second) {
    auto profile = LaserWithQcls(2);
    std::tie(profile.qcls[0].minWw, profile.qcls[0].maxWw) = first;
    std::tie(profile.qcls[1].minWw, profile.qcls[1].maxWw) = second;
    for (auto& qcl : profile.qcls)
        qcl.wwUnit = units::kMicrons;
    return profile;
}

SimRig::SimRig(ControllerProfile profile, sim::InProcessTransport::Style style,
               sim::LaserProfile laserProfile)
    : SimLaserRig(std::move(laserProfile)) {
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

void SimLaserRig::InjectNext(sim::Fault fault, int count, std::uint32_t delayMs) {
    sim::FaultRule rule;
    rule.fault = fault;
    rule.count = count;
    rule.delayMs = delayMs;
    faults.Add(rule);
}

void SimLaserRig::InjectFor(std::uint16_t cmdID, sim::Fault fault, int count) {
    sim::FaultRule rule;
    rule.fault = fault;
    rule.cmdID = cmdID;
    rule.count = count;
    faults.Add(rule);
}

void SimRig::SetInstalledQcls(std::uint8_t count) {
    controller->UpdateCache([count](LaserCache& c) { c.admin.num_qcls = count; });
}

std::vector<KTarvexCommand> SimRig::SentPackets() const {
    std::vector<KTarvexCommand> packets;
    for (const auto& bytes : transport->Sent()) {
        KTarvexCommand packet;
        if (packet.ProcessPacket(bytes.data(), bytes.size()))
            packets.push_back(packet);
    }
    return packets;
}

std::vector<std::uint8_t> SimRig::Dispositions(std::uint16_t cmdID) const {
    std::vector<std::uint8_t> dispositions;
    for (const auto& packet : SentPackets())
        if (packet.GetHeader().cmdID == cmdID)
            dispositions.push_back(packet.GetHeader().disposition);
    return dispositions;
}

std::vector<std::vector<std::uint8_t>> SimRig::Requests(std::uint16_t cmdID) const {
    return ExecutedRequests(laser, cmdID);
}

bool StatusExchange(KTarvexController& controller, KTarvexCommand* reply) {
    constexpr std::uint16_t kStatusMask = 3;
    KTarvexCommand command(kStatusMask, kRead), response;
    const bool ok = controller.Exchange(command, response);
    if (reply)
        *reply = response;
    return ok;
}

} // namespace tarvex::test
