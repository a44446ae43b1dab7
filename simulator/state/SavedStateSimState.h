#pragma once

#include "records/LaserRecords.h"
#include "records/SavedStateRecords.h"
#include "records/ScanRecords.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tarvex::sim {

// What a favorite holds: the laser and QCL parameters and the tune and scan settings.
struct SavedLaserState {
    LaserParams laserParams{};
    std::array<LaserQclParams, 4> qclParams{};
    std::uint8_t scanMode = scan_mode::kSingleTune;
    SingleWWParams singleWW{};
    SweepModeParams sweep{};
    StepMeasureParams stepMeasure{};
    MultiSpectralParams multiSpectral{};
};

// Slot n of the laser is entry n of the table; slot 0 holds the default favorite.
struct SavedStateSlot {
    bool inUse = false;
    std::string name{}; // printable ASCII, at most 32 characters
    SavedLaserState state{};
};
using SavedStateSlots = std::array<SavedStateSlot, kSavedStateEntries>;

inline constexpr const char* kDefaultFavoriteName = "Default";

struct SavedStateSimState {
    SavedStateSlots slots{};
    // The state slot 0 is regenerated from: the laser as it powers up.
    SavedLaserState factoryDefault;

    AudioNotificationPref audio{.on_off = 1, .flash_led = 1};
    GlobalPreferences globalPrefs;
    ProvisioningIpAddr provisioning{.ipAddr = 0xC0A8010A, // 192.168.1.10
                                    .subnetMask = 0xFFFFFF00,
                                    .defGateway = 0xC0A80101,
                                    .port = 5000};

    // Told of every change of the slots (tarvex-sim keeps them in its state file).
    std::function<void(const SavedStateSlots&)> onSlotsChanged;
};

} // namespace tarvex::sim
