// Queries of the scan settings the laser holds, the tuning range and the unit conversion.
#include "Export.h"

#include <algorithm>

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

bool ReadSingle(KTarvexController& c) {
    return c.ReadWriteSingleWWParams(false);
}
bool ReadSweep(KTarvexController& c) {
    return c.ReadWriteSweepModeParams(false);
}
bool ReadStepMeasure(KTarvexController& c) {
    return c.ReadWriteStepMeasureParams(false);
}
bool ReadMultiSpectral(KTarvexController& c) {
    return c.ReadWriteMultiSpectralParams(false);
}
bool ReadAdvanced(KTarvexController& c) {
    return c.ReadWriteSweepAdvancedParams(false);
}

// A value with its unit code.
template <typename Value> struct WithUnit {
    Value value;
    std::uint8_t unit;
};

// A wavelength with its unit code from the record `read` refreshes.
template <typename Read, typename Pick>
Result WavelengthQuery(const char* name, float* ww, std::uint8_t* units, Read read, Pick pick) {
    return ReadThenCopy(name, Traced::Yes, Present(ww, units), read, [&](const LaserCache& c) {
        const auto [value, unit] = pick(c);
        *ww = value;
        *units = unit;
    });
}

} // namespace

// --- Single tune ---------------------------------------------------------------------------------

uint32_t TarvexSDK_GetTuneWW(float* ww, uint8_t* units, uint8_t* qcl) {
    return ReadThenCopy("TarvexSDK_GetTuneWW", Traced::Yes, Present(ww, units, qcl), ReadSingle,
                        [&](const LaserCache& c) {
                            *ww = c.singleWW.scan_ww;
                            *units = c.singleWW.scan_ww_unit;
                            *qcl = c.singleWW.qcl;
                        });
}

// --- Sweep ---------------------------------------------------------------------------------------

uint32_t TarvexSDK_GetSweepNumScans(uint16_t* n) {
    return ReadThenCopy("TarvexSDK_GetSweepNumScans", Traced::Yes, Present(n), ReadSweep,
                        [&](const LaserCache& c) { *n = c.sweep.num_scans; });
}

uint32_t TarvexSDK_GetSweepScanSpeed(float* speed, uint8_t* units) {
    return WavelengthQuery("TarvexSDK_GetSweepScanSpeed", speed, units, ReadSweep,
                           [](const LaserCache& c) {
                               return WithUnit<float>{c.sweep.scan_speed, c.sweep.scan_speed_unit};
                           });
}

uint32_t TarvexSDK_GetSweepStartWW(float* ww, uint8_t* units) {
    return WavelengthQuery(
        "TarvexSDK_GetSweepStartWW", ww, units, ReadSweep, [](const LaserCache& c) {
            return WithUnit<float>{c.sweep.scan_start_ww, c.sweep.scan_start_unit};
        });
}

uint32_t TarvexSDK_GetSweepStopWW(float* ww, uint8_t* units) {
    return WavelengthQuery("TarvexSDK_GetSweepStopWW", ww, units, ReadSweep,
                           [](const LaserCache& c) {
                               return WithUnit<float>{c.sweep.scan_stop_ww, c.sweep.scan_stop_unit};
                           });
}

uint32_t TarvexSDK_IsSweepBidirectional(uint8_t* bidirectional) {
    return ReadThenCopy("TarvexSDK_IsSweepBidirectional", Traced::Yes, Present(bidirectional),
                        ReadSweep,
                        [&](const LaserCache& c) { *bidirectional = c.sweep.bidirectional; });
}

// --- Step and measure ----------------------------------------------------------------------------

uint32_t TarvexSDK_GetStepMeasureNumScans(uint16_t* n) {
    return ReadThenCopy("TarvexSDK_GetStepMeasureNumScans", Traced::Yes, Present(n),
                        ReadStepMeasure,
                        [&](const LaserCache& c) { *n = c.stepMeasure.num_scans; });
}

uint32_t TarvexSDK_GetStepMeasureStartWW(float* ww, uint8_t* units) {
    return WavelengthQuery(
        "TarvexSDK_GetStepMeasureStartWW", ww, units, ReadStepMeasure, [](const LaserCache& c) {
            return WithUnit<float>{c.stepMeasure.scan_start, c.stepMeasure.scan_start_unit};
        });
}

uint32_t TarvexSDK_GetStepMeasureStopWW(float* ww, uint8_t* units) {
    return WavelengthQuery(
        "TarvexSDK_GetStepMeasureStopWW", ww, units, ReadStepMeasure, [](const LaserCache& c) {
            return WithUnit<float>{c.stepMeasure.scan_stop, c.stepMeasure.scan_stop_unit};
        });
}

uint32_t TarvexSDK_GetStepMeasureStepSizeWW(float* ww, uint8_t* units) {
    return WavelengthQuery(
        "TarvexSDK_GetStepMeasureStepSizeWW", ww, units, ReadStepMeasure, [](const LaserCache& c) {
            return WithUnit<float>{c.stepMeasure.step_size, c.stepMeasure.step_size_unit};
        });
}

// --- Multi-spectral ------------------------------------------------------------------------------

uint32_t TarvexSDK_GetMultiSpectralNumScans(uint16_t* n) {
    return ReadThenCopy("TarvexSDK_GetMultiSpectralNumScans", Traced::Yes, Present(n),
                        ReadMultiSpectral,
                        [&](const LaserCache& c) { *n = c.multiSpectral.num_scans; });
}

uint32_t TarvexSDK_GetMultiSpectralWWUnits(uint8_t* units) {
    return ReadThenCopy("TarvexSDK_GetMultiSpectralWWUnits", Traced::Yes, Present(units),
                        ReadMultiSpectral,
                        [&](const LaserCache& c) { *units = c.multiSpectral.scan_ww_unit; });
}

uint32_t TarvexSDK_GetNumMultiSpectralElements(uint8_t* n) {
    return ReadThenCopy("TarvexSDK_GetNumMultiSpectralElements", Traced::Yes, Present(n),
                        ReadMultiSpectral,
                        [&](const LaserCache& c) { *n = c.multiSpectral.num_ww; });
}

uint32_t TarvexSDK_GetMultiSpectralElement(uint8_t index, float* ww, uint32_t* dwellTime,
                                           uint32_t* offTime) {
    return RunExport(
        "TarvexSDK_GetMultiSpectralElement", Traced::Yes, Present(ww, dwellTime, offTime),
        [&](KTarvexController& controller, Library&) -> Result {
            if (!ReadMultiSpectral(controller))
                return TarvexSdkResult_CommError;
            const MultiSpectralParams params =
                controller.ReadCache([](const LaserCache& c) { return c.multiSpectral; });
            const std::size_t count =
                std::min<std::size_t>(params.num_ww, MultiSpectralParams::kMaxElements);
            if (index >= count)
                return TarvexSdkResult_IndexOutOfRange;
            const MultiSpectralElement& element = params.elements[index];
            *ww = element.scan_ww;
            *dwellTime = element.dwell_time;
            *offTime = element.after_off_time;
            return TarvexSdkResult_Success;
        });
}

// --- Tuning range and conversion -----------------------------------------------------------------

uint32_t TarvexSDK_GetTuningRange(float* min, float* max, uint8_t* units) {
    return RunExport("TarvexSDK_GetTuningRange", Traced::Yes, Present(min, max, units),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadWriteAdminQclParams(false))
                             return TarvexSdkResult_CommError;
                         const TuningRange range = controller.OverallTuningRange();
                         *min = range.min;
                         *max = range.max;
                         *units = range.unit;
                         return TarvexSdkResult_Success;
                     });
}

// Any two different codes count as microns and wavenumbers: the codes are not checked.
uint32_t TarvexSDK_ConvertWW(float ww, uint8_t fromUnits, uint8_t toUnits, float* out) {
    TraceExport("TarvexSDK_ConvertWW");
    if (!Present(out))
        return TarvexSdkResult_NullPointer;
    *out = fromUnits == toUnits ? ww : units::Convert(ww);
    return TarvexSdkResult_Success;
}

// --- Advanced sweep ------------------------------------------------------------------------------

uint32_t TarvexSDK_GetAdvancedSweepParams(uint8_t* units, float* start, float* stop, float* speed,
                                          uint16_t* numScans, uint8_t* bidirectional) {
    return ReadThenCopy("TarvexSDK_GetAdvancedSweepParams", Traced::No,
                        Present(units, start, stop, speed, numScans, bidirectional), ReadAdvanced,
                        [&](const LaserCache& c) {
                            const SweepAdvancedParams& a = c.sweepAdvanced;
                            *units = a.units;
                            *start = a.start;
                            *stop = a.stop;
                            *speed = a.speed;
                            *numScans = a.numScans;
                            *bidirectional = a.bidir;
                        });
}

uint32_t TarvexSDK_GetAdvancedSweepChanParams(uint8_t channel, float* start, float* stop,
                                              uint8_t* used) {
    return RunExport("TarvexSDK_GetAdvancedSweepChanParams", Traced::No, Present(start, stop, used),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!ReadAdvanced(controller))
                             return TarvexSdkResult_CommError;
                         if (!IsInstalledQcl(controller, channel))
                             return TarvexSdkResult_InvalidQclNumber;
                         const SweepAdvancedParams a = controller.ReadCache(
                             [](const LaserCache& c) { return c.sweepAdvanced; });
                         const std::size_t i = QclIndex(channel);
                         *start = a.channelStart[i];
                         *stop = a.channelStop[i];
                         *used = a.used[i];
                         return TarvexSdkResult_Success;
                     });
}
