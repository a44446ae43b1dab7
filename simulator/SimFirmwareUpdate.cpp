#include "SimLaser.h"

namespace tarvex::sim {

void SimLaser::RegisterFirmwareUpdateHandlers() {}

bool SimLaser::InRawMode() const {
    return false;
}

std::vector<SimEmission> SimLaser::ProcessRaw(const std::uint8_t*, std::size_t) {
    return {};
}

} // namespace tarvex::sim
