#pragma once

#include "LaserCache.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace tarvex::panel {

// What one status tick read of the laser's temperatures, currents and wavelength: the columns of
// the parameter log that the live plot draws, and the wavelength it adds.
struct ParameterSample {
    std::int64_t timeMs = 0;                  // since the epoch
    std::size_t qcls = 0;                     // the QCLs logged; the arrays hold that many
    std::array<float, kMaxQcls> qclTemp{};    // °C
    std::array<float, kMaxQcls> tecCurrent{}; // mA
    float caseTemp1 = 0;
    float caseTemp2 = 0;
    float pcbTemp = 0;
    float wavenumber = 0; // cm-1; 0 while the laser reports none

    static ParameterSample From(const LaserCache& cache, std::size_t qcls, std::int64_t timeMs);
};

// The samples of the last ten minutes, oldest first.
class ParameterHistory {
public:
    static constexpr std::int64_t kSpanMs = 10 * 60 * 1000;

    // Adds the newest sample and drops those more than the span older than it.
    void Add(const ParameterSample& sample);
    const std::deque<ParameterSample>& Samples() const { return samples_; }

private:
    std::deque<ParameterSample> samples_;
};

} // namespace tarvex::panel
