#include "SimLaser.h"

namespace tarvex::sim {

void SimLaser::RegisterScanHandlers() {}
void SimLaser::AdvanceScan(std::uint64_t) {}
std::uint32_t SimLaser::ScanStatusBits() const {
    return 0;
}

} // namespace tarvex::sim
