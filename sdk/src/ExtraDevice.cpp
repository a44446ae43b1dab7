#include "ExtraDevice.h"

#include "EmbeddedLaser.h"
#include "SimFtdiBackend.h"
#include "transport/KWinUsbFtdi.h"
#include "transport/posix/FtdiSerialBackend.h"

namespace tarvex::sdk {
namespace {

constexpr const char* kSimulated = "sim";

// The description and id of the adapter the laser ships with.
constexpr const char* kAdapterDescription = KWinUsbFtdi::kLaserDescription;

std::unique_ptr<FtdiApi> SimulatedAdapter(sim::EmbeddedLaser& laser, Clock& clock) {
    auto backend = std::make_unique<sim::SimFtdiBackend>(clock);
    sim::SimFtdiDevice device;
    device.description = kAdapterDescription;
    device.serialNumber = "SIM";
    device.link = &laser.link;
    backend->AddDevice(std::move(device));
    return backend;
}

// The serial device at `path` listed as the laser's adapter.
std::unique_ptr<FtdiApi> AdapterAt(const std::string& path) {
    return std::make_unique<FtdiSerialBackend>([path] {
        SerialPortInfo port;
        port.name = path;
        port.friendlyName = std::string(kAdapterDescription) + " (" + path + ")";
        port.isUsb = true;
        port.usbVendorId = FtdiSerialBackend::kVendorId;
        port.usbProductId = FtdiSerialBackend::kProductId;
        port.usbProduct = kAdapterDescription;
        return std::vector<SerialPortInfo>{port};
    });
}

} // namespace

ExtraDevice::ExtraDevice(std::string spec, FtdiApi& machine)
    : spec_(std::move(spec)), machine_(&machine) {}

ExtraDevice::~ExtraDevice() = default;

std::unique_ptr<ExtraDevice> ExtraDevice::Make(const std::string& spec, FtdiApi& machine,
                                               Clock& clock) {
    if (spec.empty())
        return nullptr;
    std::unique_ptr<ExtraDevice> extra(new ExtraDevice(spec, machine));
    if (spec == kSimulated) {
        extra->laser_ = std::make_unique<sim::EmbeddedLaser>(clock);
        extra->device_ = SimulatedAdapter(*extra->laser_, clock);
    } else {
        extra->device_ = AdapterAt(spec);
    }
    extra->combined_ = std::make_unique<CombinedFtdiApi>(machine, *extra->device_);
    return extra;
}

} // namespace tarvex::sdk
