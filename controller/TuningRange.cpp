#include "TuningRange.h"

#include <algorithm>

namespace tarvex {

namespace {
bool IsWavelengthUnit(std::uint8_t unit) {
    return unit == units::kMicrons || unit == units::kWavenumber;
}
} // namespace

TuningRange TuningRange::In(std::uint8_t target) const {
    if (target == unit || !IsWavelengthUnit(unit) || !IsWavelengthUnit(target))
        return *this;
    const float a = units::Convert(min);
    const float b = units::Convert(max);
    return {std::min(a, b), std::max(a, b), target};
}

TuningRange QclTuningRange(const AdminQclParams& qcl) {
    return {std::min(qcl.min_ww, qcl.max_ww), std::max(qcl.min_ww, qcl.max_ww), qcl.ww_unit};
}

TuningRange OverallTuningRange(const LaserCache& cache) {
    const std::size_t installed = cache.InstalledQcls();
    std::uint8_t unit = units::kMicrons;
    bool any = false;
    for (std::size_t i = 0; i < installed; ++i) {
        if (cache.adminQcl[i].is_available) {
            unit = cache.adminQcl[i].ww_unit;
            any = true;
        }
    }
    TuningRange overall{0, 0, unit};
    if (!any)
        return overall;
    bool first = true;
    for (std::size_t i = 0; i < installed; ++i) {
        if (!cache.adminQcl[i].is_available)
            continue;
        const TuningRange range = QclTuningRange(cache.adminQcl[i]).In(unit);
        overall.min = first ? range.min : std::min(overall.min, range.min);
        overall.max = first ? range.max : std::max(overall.max, range.max);
        first = false;
    }
    return overall;
}

} // namespace tarvex
