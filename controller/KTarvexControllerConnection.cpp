#include "KTarvexController.h"

namespace tarvex {

std::unique_ptr<PortProvider> MakeSystemPortProvider() {
    return nullptr;
}
void KTarvexController::SetComPort(const std::string&) {}
void KTarvexController::SetBaudRate(std::uint32_t) {}
void KTarvexController::SetUdpAddress(std::uint32_t, std::uint16_t) {}
std::uint32_t KTarvexController::GetUdpAddress() const {
    return 0;
}
std::uint16_t KTarvexController::GetUdpPort() const {
    return 0;
}
void KTarvexController::SetUdpLocalAddress(std::uint32_t) {}
void KTarvexController::SetPortProvider(std::unique_ptr<PortProvider>) {}
bool KTarvexController::Initialize() {
    return false;
}
bool KTarvexController::Initialize(std::unique_ptr<KWinTransport>) {
    return false;
}
std::string KTarvexController::ConnectedPort() const {
    return {};
}

} // namespace tarvex
