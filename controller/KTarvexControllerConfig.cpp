#include "KTarvexController.h"

namespace tarvex {

bool KTarvexController::ReadWriteEEPROMData(bool, std::uint8_t) {
    return false;
}
bool KTarvexController::ReadWriteSysConfig(bool) {
    return false;
}
bool KTarvexController::ReadAllEEPROMData() {
    return false;
}
bool KTarvexController::exportConfig(const std::filesystem::path&) {
    return false;
}
bool KTarvexController::importConfig(const std::filesystem::path&) {
    return false;
}

} // namespace tarvex
