#include "ParameterHistory.h"

#include <algorithm>

namespace tarvex::panel {

ParameterSample ParameterSample::From(const LaserCache& cache, std::size_t qcls,
                                      std::int64_t timeMs) {
    ParameterSample sample;
    sample.timeMs = timeMs;
    sample.qcls = std::min(qcls, kMaxQcls);
    for (std::size_t i = 0; i < sample.qcls; ++i) {
        sample.qclTemp[i] = cache.qclInfo[i].actual_temp;
        sample.tecCurrent[i] = cache.qclInfo[i].actual_tec_current;
    }
    sample.caseTemp1 = cache.testLaserInfo.caseTemp1;
    sample.caseTemp2 = cache.testLaserInfo.caseTemp2;
    sample.pcbTemp = cache.testLaserInfo.pcbTemp;
    const InfoLight& light = cache.light;
    sample.wavenumber =
        light.unit == units::kWavenumber ? light.current_ww : units::Convert(light.current_ww);
    return sample;
}

void ParameterHistory::Add(const ParameterSample& sample) {
    samples_.push_back(sample);
    while (samples_.front().timeMs < sample.timeMs - kSpanMs)
        samples_.pop_front();
}

} // namespace tarvex::panel
