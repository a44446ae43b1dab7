#pragma once

#include "LaserProfile.h"
#include "state/ScanSimState.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarvex::sim {

// The laser-wide settings a scan's pace depends on (from the laser parameters).
struct ScanPacing {
    std::uint8_t processTriggerMode = 1; // 2 external step and 3 manual wait for a trigger
    std::uint32_t dwellUs = 0;           // per step-and-measure point
    std::uint32_t offUs = 0;
};

inline constexpr std::uint32_t kDefaultDwellMs = 200; // a dwell given as 0
inline constexpr std::size_t kMaxScanPoints = 10000;

// The path of the scan that `scan.scanMode` names, from its record; nothing, with the reason
// in `why`, when the record cannot be run on this laser.
std::optional<ScanPlan> BuildScanPlan(const ScanSimState& scan, const LaserProfile& profile,
                                      const ScanPacing& pacing, std::string& why);

} // namespace tarvex::sim
