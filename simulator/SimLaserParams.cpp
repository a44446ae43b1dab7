#include "SimLaser.h"

namespace tarvex::sim {

void SimLaser::InitializeState() {}
void SimLaser::RegisterLaserHandlers() {}
void SimLaser::AdvanceLaser(std::uint64_t) {}

} // namespace tarvex::sim
