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
// How many times faster than real time the built-in simulated laser runs (a positive number; 1
// when unset), so that scripts and their tests need not wait for arming, tuning and scans as
// long as with a laser.
inline constexpr const char* kSimSpeedVariable = "TARVEX_SDK_SIM_SPEED";

// The device the variable names, presented as one more USB serial adapter of the laser's kind
// after the machine's own, so that the search, the adapter set-up and every exchange run as with
// a laser on USB.
class ExtraDevice {
public:
    // Null for an empty `spec`. The simulated laser runs on `clock`, or faster than real time as
    // the speed variable says.
    static std::unique_ptr<ExtraDevice> Make(const std::string& spec, FtdiApi& machine,
                                             Clock& clock);
    ~ExtraDevice();
    ExtraDevice(const ExtraDevice&) = delete;
    ExtraDevice& operator=(const ExtraDevice&) = delete;

    // What it was made for: the variables' values and the machine's backend.
    bool MadeFor(const std::string& spec, const FtdiApi& machine) const;
    // The machine's adapters followed by this device.
    FtdiApi& Backend() { return *combined_; }

private:
    ExtraDevice(std::string spec, std::string speed, FtdiApi& machine);

    std::string spec_;
    std::string speed_;
    FtdiApi* machine_;
    std::unique_ptr<Clock> scaledClock_;        // for a speed other than real time
    std::unique_ptr<sim::EmbeddedLaser> laser_; // for "sim"
    std::unique_ptr<FtdiApi> device_;
    std::unique_ptr<CombinedFtdiApi> combined_;
};

} // namespace tarvex::sdk
