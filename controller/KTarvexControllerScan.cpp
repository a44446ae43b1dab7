#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::ReadWriteScanMode(bool) {
    return false;
}
bool KTarvexController::ExecScanOperation() {
    return false;
}
bool KTarvexController::ReadWriteSingleWWParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteSweepModeParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteStepMeasureParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteMultiSpectralParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteSweepAdvancedParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteWlTrigParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteWlTrigPulseWidth(bool) {
    return false;
}
bool KTarvexController::ReadWritePointerEnable() {
    return false;
}
bool KTarvexController::TuneToWW(float, std::uint8_t, std::uint32_t, std::uint8_t) {
    return false;
}
bool KTarvexController::StartStepMeasureScan(float, float, float, std::uint8_t, std::uint16_t,
                                             bool) {
    return false;
}
bool KTarvexController::StartMultiSpectralScan(const std::vector<MultiSpectralElement>&,
                                               std::uint8_t, std::uint16_t, bool) {
    return false;
}
bool KTarvexController::StartSweepScan(float, float, float, std::uint8_t, std::uint16_t, bool,
                                       std::uint8_t) {
    return false;
}
bool KTarvexController::StartSweepAdvancedScan() {
    return false;
}
bool KTarvexController::StopScan() {
    return false;
}
bool KTarvexController::PauseScan() {
    return false;
}
bool KTarvexController::ResumeScan() {
    return false;
}
bool KTarvexController::ManualStep() {
    return false;
}
bool KTarvexController::InjectProcessTrigger() {
    return false;
}
bool KTarvexController::SetPointerEnable(bool) {
    return false;
}
void KTarvexController::SetTunedQcl(std::uint8_t) {}
void KTarvexController::SetWlTrigPulseWidth(std::uint16_t) {}

} // namespace tarvex
