#include "SimLaser.h"

#include "ByteOrder.h"
#include "KTarvexCommand.h"

namespace tarvex::sim {

namespace {
constexpr std::uint32_t kInterlock = 0x1;
constexpr std::uint32_t kKeySwitch = 0x2;
constexpr std::uint32_t kTecsAtTemperature = 0x4;
} // namespace

SimLaser::SimLaser(Clock& clock)
    : clock_(clock), statusMask_(kInterlock | kKeySwitch | kTecsAtTemperature) {
    RegisterHandlers();
}

SimLaser::~SimLaser() = default;

void SimLaser::RegisterHandlers() {
    // ReadInfoSysInfo: supported interface, sysInfo, four bytes of firmware detail.
    handlers_[4] = [](const SimRequest&, SimReply& reply) {
        reply.payload[0] = 3;
        reply.payload[1] = 1;
    };
    // ReadStatusMask: mask and system error word.
    handlers_[3] = [this](const SimRequest&, SimReply& reply) {
        be::PutU32(reply.payload.data(), statusMask_);
        be::PutU16(reply.payload.data() + 4, systemErrorWord_);
    };
}

SimReply SimLaser::Process(const SimRequest& request) {
    SimReply reply;
    if (!KTarvexCommand::IsKnownCommand(request.cmdID) || request.disposition < kRead ||
        request.disposition > kExecute) {
        reply.nak = true;
        return reply;
    }
    reply.payload.assign(KTarvexCommand::ResponseLength(request.cmdID) - kHeaderSize, 0);
    std::lock_guard lock(mutex_);
    ++executed_[request.cmdID];
    auto it = handlers_.find(request.cmdID);
    if (it != handlers_.end())
        it->second(request, reply);
    return reply;
}

void SimLaser::SetHandler(std::uint16_t cmdID, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[cmdID] = std::move(handler);
}

void SimLaser::SetStatusMask(std::uint32_t mask) {
    std::lock_guard lock(mutex_);
    statusMask_ = mask;
}

std::uint32_t SimLaser::StatusMask() const {
    std::lock_guard lock(mutex_);
    return statusMask_;
}

std::size_t SimLaser::Executed(std::uint16_t cmdID) const {
    std::lock_guard lock(mutex_);
    auto it = executed_.find(cmdID);
    return it == executed_.end() ? 0 : it->second;
}

} // namespace tarvex::sim
