#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

// One serial port present on this machine, as the OS describes it.
struct SerialPortInfo {
    // What the port opens by: its device path on POSIX. Empty where the OS names a port only
    // inside its friendly name, as Windows does with "USB Serial Port (COM3)".
    std::string name;
    // A human-readable name that ends with the port's name in parentheses.
    std::string friendlyName;
    bool isUsb = false;
    std::uint16_t usbVendorId = 0;
    std::uint16_t usbProductId = 0;
    std::string usbProduct;
    std::string usbSerial;
    // Bus number in the high byte, device address in the low byte.
    std::uint32_t usbLocation = 0;
};

// The serial ports backed by hardware (on-board, USB, Bluetooth), in the OS's order.
// Pseudo-terminals and other virtual terminals are not listed.
std::vector<SerialPortInfo> ListSerialPorts();

} // namespace tarvex
