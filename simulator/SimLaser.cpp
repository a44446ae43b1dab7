#include "SimLaser.h"

#include "codec/KTarvexCommand.h"

namespace tarvex::sim {

SimLaser::SimLaser(Clock& clock, LaserProfile profile)
    : clock_(clock), profile_(std::move(profile)) {
    InitializeState();
    RegisterIdentityHandlers();
    RegisterStatusHandlers();
    RegisterLaserHandlers();
    RegisterScanHandlers();
    RegisterSavedStateHandlers();
    RegisterDiagnosticHandlers();
    RegisterConfigHandlers();
    RegisterFirmwareUpdateHandlers();
}

SimLaser::~SimLaser() = default;

void SimLaser::AdvanceTo(std::uint64_t nowMs) {
    if (!started_) {
        started_ = true;
        state_.nowMs = nowMs;
        return;
    }
    if (nowMs <= state_.nowMs)
        return;
    // Small steps keep the dynamics' interplay (a tune waiting for a TEC, say) in order.
    constexpr std::uint64_t kStepMs = 50;
    while (state_.nowMs < nowMs) {
        const std::uint64_t dt = std::min(kStepMs, nowMs - state_.nowMs);
        state_.nowMs += dt;
        AdvanceLaser(dt);
        AdvanceScan(dt);
    }
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
    AdvanceTo(clock_.NowMs());
    ++executed_[request.cmdID];
    if (history_.size() == kHistoryLimit)
        history_.pop_front();
    history_.emplace_back(
        request.cmdID, std::vector<std::uint8_t>(request.payload.begin(), request.payload.end()));
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
    state_.statusOverride = mask;
}

void SimLaser::ClearStatusOverride() {
    std::lock_guard lock(mutex_);
    state_.statusOverride.reset();
}

std::uint32_t SimLaser::StatusMask() {
    std::lock_guard lock(mutex_);
    AdvanceTo(clock_.NowMs());
    return state_.statusOverride ? *state_.statusOverride : ComposeStatusMask();
}

std::size_t SimLaser::Executed(std::uint16_t cmdID) const {
    std::lock_guard lock(mutex_);
    auto it = executed_.find(cmdID);
    return it == executed_.end() ? 0 : it->second;
}

std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> SimLaser::History() const {
    std::lock_guard lock(mutex_);
    return {history_.begin(), history_.end()};
}

void SimLaser::ClearHistory() {
    std::lock_guard lock(mutex_);
    history_.clear();
}

} // namespace tarvex::sim
