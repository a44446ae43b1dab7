#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::ReadWriteTestQclParams(bool, std::uint8_t) {
    return false;
}
bool KTarvexController::ReadAllTestQclParams() {
    return false;
}
bool KTarvexController::ReadTestQclInfo(std::uint8_t) {
    return false;
}
bool KTarvexController::ReadAllTestQclInfo() {
    return false;
}
bool KTarvexController::ReadWriteTestGalvoParams(bool, std::uint8_t) {
    return false;
}
bool KTarvexController::SetTestGalvo(std::uint8_t, std::int32_t) {
    return false;
}
bool KTarvexController::ReadAllTestGalvoParams() {
    return false;
}
bool KTarvexController::ReadWriteTestGalvoEnable(bool) {
    return false;
}
bool KTarvexController::ReadTecMeas() {
    return false;
}
bool KTarvexController::ReadEncoder() {
    return false;
}
bool KTarvexController::ReadWriteMotionTestParams(bool, std::uint8_t) {
    return false;
}
bool KTarvexController::ReadMoveDuration(std::uint8_t) {
    return false;
}
bool KTarvexController::ReadWriteGalvoLaserEnable(bool) {
    return false;
}
bool KTarvexController::ReadTestLaserInfo() {
    return false;
}
bool KTarvexController::ReadBusVoltages() {
    return false;
}
bool KTarvexController::ReadSysTemps() {
    return false;
}
bool KTarvexController::ReadSysVoltages() {
    return false;
}
bool KTarvexController::ReadInstalledSleds() {
    return false;
}
bool KTarvexController::ReadWriteTecChannel(bool, std::uint8_t, bool, std::uint8_t) {
    return false;
}
bool KTarvexController::ReadWriteTecChannelDrive(bool, std::uint8_t, bool, float, bool) {
    return false;
}
bool KTarvexController::ExecQclIfTest(bool, std::uint8_t) {
    return false;
}

} // namespace tarvex
