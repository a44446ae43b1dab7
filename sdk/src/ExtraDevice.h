#pragma once

#include "Clock.h"
#include "CombinedFtdiApi.h"
#include "transport/FtdiApi.h"

#include <memory>
#include <string>

namespace tarvex::sim {
struct EmbeddedLaser;
}

namespace tarvex::sdk {

// The environment variable that adds a device to the connection search: "sim" for the built-in
// simulated laser, else the path of a serial device or pseudo-terminal.
inline constexpr const char* kDeviceVariable = "TARVEX_SDK_DEVICE";

// The device the variable names, presented as one more USB serial adapter of the laser's kind
// after the machine's own, so that the search, the adapter set-up and every exchange run as with
// a laser on USB.
class ExtraDevice {
public:
    // Null for an empty `spec`. The simulated laser runs on `clock`.
    static std::unique_ptr<ExtraDevice> Make(const std::string& spec, FtdiApi& machine,
                                             Clock& clock);
    ~ExtraDevice();
    ExtraDevice(const ExtraDevice&) = delete;
    ExtraDevice& operator=(const ExtraDevice&) = delete;

    // What it was made for: the variable's value and the machine's backend.
    bool MadeFor(const std::string& spec, const FtdiApi& machine) const {
        return spec == spec_ && &machine == machine_;
    }
    // The machine's adapters followed by this device.
    FtdiApi& Backend() { return *combined_; }

private:
    ExtraDevice(std::string spec, FtdiApi& machine);

    std::string spec_;
    FtdiApi* machine_;
    std::unique_ptr<sim::EmbeddedLaser> laser_; // for "sim"
    std::unique_ptr<FtdiApi> device_;
    std::unique_ptr<CombinedFtdiApi> combined_;
};

} // namespace tarvex::sdk
