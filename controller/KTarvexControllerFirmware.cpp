#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::ExecFirmwareUpdate(std::uint8_t) {
    return false;
}
bool KTarvexController::WaitForUpdateReady() {
    return false;
}
bool KTarvexController::WriteFwData(std::uint32_t, const std::uint8_t*, std::uint32_t) {
    return false;
}
bool KTarvexController::FinishFwUpdate(std::uint32_t) {
    return false;
}
bool KTarvexController::WriteMbFwData(std::uint32_t, std::int32_t, const std::uint8_t*) {
    return false;
}
void KTarvexController::FinishMbFwUpdate() {}
void KTarvexController::CountFailure() {}

} // namespace tarvex
