#pragma once

// Settings the laser keeps for itself rather than for an operation: the IP settings it answers
// on over Ethernet, its preferences, and the galvo positions stored in its system configuration.
// Each write leaves the cache as it was when the laser did not take it.

#include "KTarvexController.h"

#include <array>
#include <cstdint>

namespace tarvex::control {

// Writes the laser's own IP address, gateway, subnet mask and port.
bool WriteProvisioning(KTarvexController& controller, const ProvisioningIpAddr& settings);

// Writes the audio notification and LED flash preference, and the global preferences.
bool WriteAudioNotification(KTarvexController& controller, const AudioNotificationPref& pref);
bool WriteGlobalPreferences(KTarvexController& controller, const GlobalPreferences& prefs);

// The galvo positions the system configuration keeps, one DAC count per galvo.
inline constexpr std::size_t kStoredGalvoPositions = 4;
using GalvoPositions = std::array<std::uint16_t, kStoredGalvoPositions>;
inline constexpr std::size_t kSysConfigGalvoOffset = 367; // 4 x u16, host order in the cache

GalvoPositions StoredGalvoPositions(const SysConfigImage& sysConfig);

enum class GalvoStoreResult : std::uint8_t { Stored, ReadFailed, WriteFailed };

// Reads the system configuration afresh, puts `positions` into it and writes it back, so that
// nothing else in it changes.
GalvoStoreResult StoreGalvoPositions(KTarvexController& controller,
                                     const GalvoPositions& positions);

} // namespace tarvex::control
