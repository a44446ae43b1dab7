#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::ReadInfoSysInfo() {
    return false;
}
bool KTarvexController::ReadWriteAdminParams(bool) {
    return false;
}
bool KTarvexController::ReadWriteAdminQclParams(bool) {
    return false;
}
bool KTarvexController::ReadFwVersion() {
    return false;
}
bool KTarvexController::ReadMbFwVersion() {
    return false;
}

} // namespace tarvex
