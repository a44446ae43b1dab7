#pragma once

#include "LaserCache.h"

#include <cstdint>

namespace tarvex {

// A wavelength range with its unit (units::kMicrons or units::kWavenumber); min <= max.
struct TuningRange {
    float min = 0;
    float max = 0;
    std::uint8_t unit = units::kMicrons;

    // The same range in `target` units: both ends converted by 10000 / value and swapped, since
    // the shortest wavelength is the largest wavenumber. Unchanged when the units agree.
    TuningRange In(std::uint8_t target) const;
    bool Contains(float value) const { return value >= min && value <= max; }
    bool Empty() const { return min == 0 && max == 0; }
};

// One QCL's range as its identity record reports it.
TuningRange QclTuningRange(const AdminQclParams& qcl);

// The range the whole laser covers: every installed QCL that is available, each converted into
// the unit of the last available one before the smallest start and the largest end are taken,
// so that modules reporting in different units combine correctly. 0 to 0 in microns when no
// QCL is available.
TuningRange OverallTuningRange(const LaserCache& cache);

} // namespace tarvex
