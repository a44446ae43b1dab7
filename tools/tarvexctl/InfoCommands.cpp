// ports and info: what is attached to this computer, and who the laser is.
#include "Commands.h"
#include "Report.h"
#include "transport/KWinUsbFtdi.h"
#include "transport/SerialPortList.h"

#include <algorithm>
#include <iterator>

namespace tarvexctl {

using namespace tarvex;

namespace {

std::string Text(const char* field, std::size_t size) {
    return std::string(field,
                       static_cast<std::size_t>(std::find(field, field + size, '\0') - field));
}

void Ports(Context& context) {
    Json serial = Json::Array();
    std::string text = "Serial ports\n";
    for (const SerialPortInfo& port : ListSerialPorts()) {
        Json entry = Json::Object().Set("device", port.name).Set("description", port.friendlyName);
        std::string usb;
        if (port.isUsb) {
            usb = Format("USB %04x:%04x", port.usbVendorId, port.usbProductId);
            if (!port.usbSerial.empty())
                usb += " serial " + port.usbSerial;
            entry.Set("usb", Json::Object()
                                 .Set("vendor_id", port.usbVendorId)
                                 .Set("product_id", port.usbProductId)
                                 .Set("product", port.usbProduct)
                                 .Set("serial_number", port.usbSerial));
        }
        serial.Push(std::move(entry));
        text +=
            "  " + port.name + "  " + port.friendlyName + (usb.empty() ? "" : "  " + usb) + "\n";
    }
    if (text == "Serial ports\n")
        text += "  none found\n";

    Json adapters = Json::Array();
    text += "USB adapters (--ftdi INDEX)\n";
    KWinUsbFtdi::RefreshDeviceList();
    const auto devices = KWinUsbFtdi::GetDeviceList();
    for (std::size_t index = 0; index < devices.size(); ++index) {
        const FtdiDeviceInfoNode& node = devices[index];
        const std::string description = Text(node.description, sizeof node.description);
        const std::string serialNumber = Text(node.serialNumber, sizeof node.serialNumber);
        const bool laser =
            node.id == KWinUsbFtdi::kLaserDeviceId && description == KWinUsbFtdi::kLaserDescription;
        const bool open = (node.flags & kFtFlagOpened) != 0;
        adapters.Push(Json::Object()
                          .Set("index", index)
                          .Set("description", description)
                          .Set("serial_number", serialNumber)
                          .Set("laser", laser)
                          .Set("open", open));
        text +=
            Format("  %zu  %s  serial %s%s%s\n", index, description.c_str(), serialNumber.c_str(),
                   laser ? "  (the laser's adapter)" : "", open ? "  (in use)" : "");
    }
    if (devices.empty())
        text += "  none found\n";
    context.Out().Result(
        Json::Object().Set("serial_ports", std::move(serial)).Set("adapters", std::move(adapters)),
        text);
}

void Info(Context& context) {
    Session& laser = context.Laser();
    const Report report = InfoReport(laser.Controller().Snapshot(), laser.Link(), laser.LinkJson());
    context.Out().Result(report.json, report.text);
}

} // namespace

void AddInfoCommands(CLI::App& app, CommandSet& set, Context& context) {
    set.Add(app, "ports", "List the serial ports and USB adapters found, with their descriptions",
            [&context] { Ports(context); })
        ->footer("JSON: {\"serial_ports\": [{\"device\", \"description\", \"usb\"?}], "
                 "\"adapters\": [{\"index\", \"description\", \"serial_number\", \"laser\", "
                 "\"open\"}]}");
    set.Add(app, "info",
            "Show the laser's identity, firmware versions, tuning range and each QCL's limits",
            [&context] { Info(context); })
        ->footer("JSON: {\"link\", \"model\", \"serial_number\", \"manufactured\", \"hours\", "
                 "\"firmware\": {\"controller\", \"pcb\", \"motion_board\"}, \"motion_board\", "
                 "\"tuning_range\": {\"min\", \"max\", \"unit\"}, \"qcls\": [{\"slot\", "
                 "\"available\", \"serial_number\", \"firmware\", \"tuning_range\", "
                 "\"cw_allowed\", \"current_ma\", \"cw_current_ma\", \"temperature_c\", "
                 "\"pulse_rate_hz\", \"pulse_width_ns\", \"duty_cycle_percent\"}]}");
}

} // namespace tarvexctl
