#include "SimLaser.h"

namespace tarvex::sim {

std::uint32_t SimLaser::ComposeStatusMask() const {
    std::uint32_t mask = 0;
    if (state_.interlockClosed)
        mask |= status::kInterlock;
    if (state_.keySwitchOn)
        mask |= status::kKeySwitch;
    mask |= status::kTecsAtTemperature;
    return mask | ScanStatusBits();
}

void SimLaser::RegisterStatusHandlers() {
    handlers_[tarvex::StatusMask::kCmd] = [this](const SimRequest&, SimReply& reply) {
        tarvex::StatusMask record;
        record.mask = state_.statusOverride ? *state_.statusOverride : ComposeStatusMask();
        record.errorWord = state_.errorWord;
        wire::Encode(record, reply.payload.data());
    };
}

void SimLaser::SetInterlock(bool closed) {
    std::lock_guard lock(mutex_);
    state_.interlockClosed = closed;
}

void SimLaser::SetKeySwitch(bool on) {
    std::lock_guard lock(mutex_);
    state_.keySwitchOn = on;
}

void SimLaser::SetPointerFitted(bool fitted) {
    std::lock_guard lock(mutex_);
    state_.pointerFitted = fitted;
}

void SimLaser::InjectError(std::uint16_t) {}
void SimLaser::InjectWarning(std::uint16_t) {}
void SimLaser::SetTemperatureWarning(int, bool) {}

} // namespace tarvex::sim
