#include "transport/SerialPortList.h"

#include <libserialport.h>

#include <filesystem>

namespace tarvex {
namespace {

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

} // namespace

// libserialport serves for the listing only: its open refuses pseudo-terminals, which the
// tests and the simulator rely on, so every port is opened through SerialDevice instead.
std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports;
    sp_port** list = nullptr;
    if (sp_list_ports(&list) != SP_OK || list == nullptr)
        return ports;
    for (sp_port** it = list; *it != nullptr; ++it) {
        const sp_port* port = *it;
        SerialPortInfo info;
        info.name = Text(sp_get_port_name(port));
        if (info.name.empty())
            continue;
        if (info.name.front() != '/')
            info.name = "/dev/" + info.name;
        std::string description = Text(sp_get_port_description(port));
        if (description.empty())
            description = std::filesystem::path(info.name).filename().string();
        info.friendlyName = description + " (" + info.name + ")";
        if (sp_get_port_transport(port) == SP_TRANSPORT_USB) {
            info.isUsb = true;
            int vid = 0, pid = 0;
            if (sp_get_port_usb_vid_pid(port, &vid, &pid) == SP_OK) {
                info.usbVendorId = static_cast<std::uint16_t>(vid);
                info.usbProductId = static_cast<std::uint16_t>(pid);
            }
            int bus = 0, address = 0;
            if (sp_get_port_usb_bus_address(port, &bus, &address) == SP_OK)
                info.usbLocation = static_cast<std::uint32_t>((bus & 0xFF) << 8 | (address & 0xFF));
            info.usbProduct = Text(sp_get_port_usb_product(port));
            info.usbSerial = Text(sp_get_port_usb_serial(port));
        }
        ports.push_back(std::move(info));
    }
    sp_free_port_list(list);
    return ports;
}

} // namespace tarvex
