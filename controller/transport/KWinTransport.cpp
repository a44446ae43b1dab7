#include "transport/KWinTransport.h"

#include "transport/KWinComPort.h"
#include "transport/KWinUDP.h"

namespace tarvex {

std::uint8_t KWinTransport::ReadByte() {
    std::uint8_t byte = 0;
    if (ReadByteList(&byte, 1) != 1)
        throw NoBytesToRead{};
    return byte;
}

std::unique_ptr<KWinTransport> CreateTransport(int type) {
    switch (type) {
    case kTransportSerial:
        return std::make_unique<KWinComPort>();
    case kTransportUdp:
        return std::make_unique<KWinUDP>();
    default:
        return nullptr;
    }
}

} // namespace tarvex
