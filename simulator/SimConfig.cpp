#include "SimLaser.h"

namespace tarvex::sim {

void SimLaser::RegisterConfigHandlers() {}

} // namespace tarvex::sim
