#include "SimLaser.h"

namespace tarvex::sim {

void SimLaser::RegisterSavedStateHandlers() {}

} // namespace tarvex::sim
