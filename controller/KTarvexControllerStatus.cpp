#include "KTarvexController.h"

#include "Trace.h"

namespace tarvex {

bool KTarvexController::ReadInfoLight() {
    std::lock_guard lock(transactionMutex_);
    InfoLight light;
    if (!ReadRecord(InfoLight::kCmd, light))
        return false;
    UpdateCache([&](LaserCache& c) {
        c.light = light;
        if (light.cur_qcl != 0)
            c.activeQcl = light.cur_qcl;
    });
    Trace("[InfoLight] current_ww = %f unit = %u cur_qcl = %u light_out = %u light_valid = %u",
          static_cast<double>(light.current_ww), light.unit, light.cur_qcl, light.light_out,
          light.light_valid);
    return true;
}
bool KTarvexController::ReadQclInfoParam() {
    return false;
}
bool KTarvexController::ReadStatusMask() {
    std::lock_guard lock(transactionMutex_);
    StatusMask status;
    if (!ReadRecord(StatusMask::kCmd, status))
        return false;
    UpdateCache([&](LaserCache& c) { c.status = status; });
    Trace("[StatusMask] = %x", status.mask);
    return true;
}
bool KTarvexController::ReadInfoTemps() {
    return false;
}
bool KTarvexController::ReadSystemErrorsList() {
    return false;
}
bool KTarvexController::ReadSystemErrors(SystemErrorsList&) {
    return false;
}
bool KTarvexController::ReadScanProgress() {
    return false;
}
bool KTarvexController::ExecClearFault(std::uint8_t) {
    return false;
}
bool KTarvexController::ClearFault() {
    return false;
}
bool KTarvexController::ClearFaultList() {
    return false;
}

} // namespace tarvex
