#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::ReadWriteLaserParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteLaserQclParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteLaserQclVsrc(bool, std::size_t) {
    return false;
}
float KTarvexController::GetQclVsrc(std::size_t) {
    return 0.0f;
}
bool KTarvexController::SetQclVsrc(std::size_t, float) {
    return false;
}
float KTarvexController::GetQclMaxVsrc(std::size_t, std::uint8_t) const {
    return 0.0f;
}
bool KTarvexController::ReadLaserOnOff() {
    return false;
}
bool KTarvexController::SetLaserOnOff(bool, std::uint8_t) {
    return false;
}
bool KTarvexController::ExecLaserOnOff() {
    return false;
}
bool KTarvexController::ExecLaserArmDisarm(std::uint8_t) {
    return false;
}
bool KTarvexController::ToggleArm() {
    return false;
}
bool KTarvexController::ReadWriteWwDisplayUnits(bool) {
    return false;
}
bool KTarvexController::SetWwDisplayUnits(std::uint8_t, std::uint8_t) {
    return false;
}
bool KTarvexController::ExecLaserShutdown(std::uint8_t, std::uint32_t, std::uint8_t) {
    return false;
}
bool KTarvexController::PowerOff() {
    return false;
}
bool KTarvexController::ExecQclOnOff(std::uint8_t, std::uint8_t) {
    return false;
}
void KTarvexController::SetQclPulseRate(std::uint8_t, float, std::uint8_t) {}
void KTarvexController::SetQclPulseWidth(std::uint8_t, float, std::uint8_t) {}
void KTarvexController::SetQclCurrent(std::uint8_t, float) {}
void KTarvexController::SetQclTemperature(std::uint8_t, float) {}
void KTarvexController::SetQclLaserMode(std::uint8_t, std::uint8_t) {}
void KTarvexController::SetLaserMode(std::uint8_t) {}
void KTarvexController::SetWavelengthTrigger(std::uint8_t, float, float, float, std::uint8_t) {}
void KTarvexController::SetProcessTrigger(std::uint8_t, std::uint32_t, std::uint32_t) {}

} // namespace tarvex
