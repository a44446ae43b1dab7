#include "ExtraDevice.h"

#include "EmbeddedLaser.h"
#include "SimFtdiBackend.h"
#include "transport/FtdiSerialBackend.h"
#include "transport/KWinUsbFtdi.h"

#include <cmath>
#include <cstdlib>

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

std::string SpeedVariable() {
    const char* value = std::getenv(kSimSpeedVariable);
    return value ? value : "";
}

// The factor the speed variable gives; 0 for real time (unset, or not a positive number).
double SpeedFactor(const std::string& speed) {
    char* end = nullptr;
    const double factor = std::strtod(speed.c_str(), &end);
    const bool whole = end != speed.c_str() && *end == '\0';
    return whole && std::isfinite(factor) && factor > 0 && factor != 1.0 ? factor : 0.0;
}

} // namespace

ExtraDevice::ExtraDevice(std::string spec, std::string speed, FtdiApi& machine)
    : spec_(std::move(spec)), speed_(std::move(speed)), machine_(&machine) {}

bool ExtraDevice::MadeFor(const std::string& spec, const FtdiApi& machine) const {
    return spec == spec_ && &machine == machine_ &&
           (spec != kSimulated || SpeedVariable() == speed_);
}

ExtraDevice::~ExtraDevice() = default;

std::unique_ptr<ExtraDevice> ExtraDevice::Make(const std::string& spec, FtdiApi& machine,
                                               Clock& clock) {
    if (spec.empty())
        return nullptr;
    std::unique_ptr<ExtraDevice> extra(new ExtraDevice(spec, SpeedVariable(), machine));
    if (spec == kSimulated) {
        Clock* laserClock = &clock;
        if (const double factor = SpeedFactor(extra->speed_); factor > 0) {
            extra->scaledClock_ = std::make_unique<ScaledClock>(factor);
            laserClock = extra->scaledClock_.get();
        }
        extra->laser_ = std::make_unique<sim::EmbeddedLaser>(*laserClock);
        extra->device_ = SimulatedAdapter(*extra->laser_, *laserClock);
    } else {
        extra->device_ = AdapterAt(spec);
    }
    extra->combined_ = std::make_unique<CombinedFtdiApi>(machine, *extra->device_);
    return extra;
}

} // namespace tarvex::sdk
