#pragma once

#include "transport/KWinTransport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvex {

// How the panel's connection search reaches the machine's ports. The default provider uses the
// serial and socket transports; tests put simulated ports in its place.
class PortProvider {
public:
    virtual ~PortProvider() = default;

    // The serial ports to search, in order (device paths on POSIX).
    virtual std::vector<std::string> EnumerateSerialPorts() = 0;
    // Opens a serial port at a baud rate (no parity, 8 data bits, 1 stop bit, DTR and RTS on)
    // with read limits of `readTimeoutMs` per byte. Null when the port cannot be opened.
    virtual std::unique_ptr<KWinTransport> OpenSerial(const std::string& port, std::uint32_t baud,
                                                      std::uint32_t readTimeoutMs) = 0;
    // Opens the UDP transport to the laser's address and port; null when it cannot be bound.
    virtual std::unique_ptr<KWinTransport> OpenUdp(std::uint32_t address, std::uint16_t port,
                                                   std::uint32_t localAddress) = 0;
};

// The machine's own serial ports and sockets.
std::unique_ptr<PortProvider> MakeSystemPortProvider();

} // namespace tarvex
