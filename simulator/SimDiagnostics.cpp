#include "SimLaser.h"

namespace tarvex::sim {

void SimLaser::RegisterDiagnosticHandlers() {}

} // namespace tarvex::sim
