#include "transport/MakeTransport.h"

#include "transport/KWinSerialPort.h"
#include "transport/KWinUsbFtdi.h"

namespace tarvex {

std::unique_ptr<KWinTransport> MakeTransport(std::uint32_t baud, int index, bool usb) {
    std::unique_ptr<KWinTransport> transport;
    if (usb) {
        auto ftdi = std::make_unique<KWinUsbFtdi>();
        if (ftdi->Open(baud, index, false))
            transport = std::move(ftdi);
    } else {
        auto serial = std::make_unique<KWinSerialPort>();
        if (serial->Open(index, baud))
            transport = std::move(serial);
    }
    if (transport)
        transport->SetTimeouts(2000, 2000);
    return transport;
}

} // namespace tarvex
