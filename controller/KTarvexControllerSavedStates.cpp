#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::ReadSysNumSavedStates() {
    return false;
}
bool KTarvexController::ReadSavedStateNames() {
    return false;
}
bool KTarvexController::CreateSavedState(const std::string&, std::uint8_t&) {
    return false;
}
bool KTarvexController::RecallSavedState(std::uint8_t) {
    return false;
}
bool KTarvexController::EraseSavedState(std::uint8_t) {
    return false;
}
bool KTarvexController::ExecRegenDefaultFavorite() {
    return false;
}
bool KTarvexController::ReadWriteAudioNotificationPref(bool) {
    return false;
}
bool KTarvexController::ReadWriteGlobalPreferences(bool) {
    return false;
}
bool KTarvexController::ReadWriteProvisioningIpAddr(bool) {
    return false;
}

} // namespace tarvex
