#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::refresh() {
    return false;
}
void KTarvexController::HeartbeatCycle() {}
void KTarvexController::StartHeartbeat() {}
void KTarvexController::StopHeartbeat() {}
bool KTarvexController::HeartbeatRunning() const {
    return false;
}

} // namespace tarvex
