#pragma once

#include "transport/KWinTransport.h"

#include <cstdint>
#include <memory>

namespace tarvex {

// The SDK's transport for one connection candidate: the FTDI device at `index` of the device
// list when `usb` (any description accepted), else the serial port at `index` of the port
// table; opened at `baud` with 2000 ms time-outs. Null when it cannot be opened.
std::unique_ptr<KWinTransport> MakeTransport(std::uint32_t baud, int index, bool usb);

} // namespace tarvex
