#pragma once

#include "LaserProfile.h"

#include <cstdint>

namespace tarvex::sim {

// How the grating and the TECs move: fast enough for tests on simulated time to see a tune
// complete within a second or two, slow enough that its progress bits can be observed.
inline constexpr float kSlewMicronsPerSecond = 2.0f;
inline constexpr std::uint32_t kMinMoveMs = 100;   // even a short move takes this long
inline constexpr std::uint32_t kTecSettleMs = 500; // after the lasing QCL changes

// A value in `unit` (1 µm, 2 cm-1) expressed in microns; 0 for an unknown unit.
float ToMicrons(float value, std::uint8_t unit);
// Microns expressed in the QCL's own unit.
float FromMicrons(float microns, std::uint8_t unit);

bool Holds(const QclProfile& qcl, float microns);
// True when some installed QCL can lase at `microns`.
bool InTuningRange(const LaserProfile& profile, float microns);

// The QCL slot (1-based) that lases at `microns`, 0 when none can:
// - the preferred slot when its range holds the wavelength;
// - else, without the crossover preference, the current slot while its range holds it;
// - else the slot whose range holds it furthest from its edges, which places the switch
//   between two overlapping QCLs in the middle of their overlap (the factory crossover).
std::uint8_t ChooseQcl(const LaserProfile& profile, float microns, std::uint8_t preferred,
                       std::uint8_t current, bool alwaysUseCrossover);

// How long the grating takes between two wavelengths (0 for no move).
std::uint32_t MoveDurationMs(float fromMicrons, float toMicrons);

// A computed duration in whole milliseconds, held to what the scan's counters can take: a huge
// distance or a crawling speed gives the longest duration, not an overflow.
std::uint32_t BoundedMs(double ms);

} // namespace tarvex::sim
