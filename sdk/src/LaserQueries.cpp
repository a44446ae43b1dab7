// Queries of the laser-wide pulse settings: the wavelength trigger and the galvo's switching.
#include "Export.h"

#include <cmath>

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

bool ReadGalvo(KTarvexController& c) {
    return c.ReadWriteGalvoLaserEnable(false);
}

// Trigger points from start to stop, both ends included, `spacing` apart; 0 without a spacing.
std::uint16_t TriggerPoints(float start, float stop, float spacing) {
    if (spacing == 0.0f)
        return 0;
    const double span = std::fabs(static_cast<double>(stop - start));
    return TruncateToU16(static_cast<float>(span / static_cast<double>(spacing) + 1.0));
}

} // namespace

// The outputs are written even when the read fails: they then hold the last good read.
uint32_t TarvexSDK_GetWlTrigParams(uint8_t* pulseMode, uint8_t* processTriggerMode, float* start,
                                   float* stop, float* interval, uint8_t* units,
                                   uint32_t* dwellTime, uint32_t* offTime) {
    const bool present =
        Present(pulseMode, processTriggerMode, start, stop, interval, units, dwellTime, offTime);
    return RunExport("TarvexSDK_GetWlTrigParams", Traced::No, present,
                     [&](KTarvexController& controller, Library&) -> Result {
                         const bool read = controller.ReadWriteLaserParams(false);
                         const LaserParams p = controller.ReadCache(
                             [](const LaserCache& c) { return c.laserParams; });
                         *pulseMode = p.pulse_mode;
                         *processTriggerMode = p.process_trigger_mode;
                         *start = p.start_ww;
                         *stop = p.stop_ww;
                         *interval = p.interval;
                         *units = p.units;
                         *dwellTime = p.dwell_time;
                         *offTime = p.off_time;
                         return read ? TarvexSdkResult_Success : TarvexSdkResult_CommError;
                     });
}

// The channel goes to the laser as asked (less one), without a range check: the laser answers
// for the channels it has.
uint32_t TarvexSDK_GetWlTrigChanParams(uint32_t channel, uint8_t* units, float* start, float* stop,
                                       float* spacing, uint16_t* numPoints) {
    return RunExport("TarvexSDK_GetWlTrigChanParams", Traced::No,
                     Present(units, start, stop, spacing, numPoints),
                     [&](KTarvexController& controller, Library&) -> Result {
                         controller.UpdateCache([&](LaserCache& c) {
                             c.wlTrig.qclChan = static_cast<std::uint8_t>(channel - 1);
                             c.wlTrig.unit = units::kMicrons;
                             c.wlTrig.start_ww = c.wlTrig.stop_ww = c.wlTrig.spacing = 0;
                         });
                         if (!controller.ReadWriteWlTrigParams(false)) {
                             *units = 0;
                             *start = *stop = *spacing = 0;
                             *numPoints = 0;
                             return TarvexSdkResult_CommError;
                         }
                         const WlTrigParams p =
                             controller.ReadCache([](const LaserCache& c) { return c.wlTrig; });
                         *units = p.unit;
                         *start = p.start_ww;
                         *stop = p.stop_ww;
                         *spacing = p.spacing;
                         *numPoints = TriggerPoints(p.start_ww, p.stop_ww, p.spacing);
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_GetWlTrigPulseWidth(uint16_t* microseconds) {
    return ReadThenCopy(
        "TarvexSDK_GetWlTrigPulseWidth", Traced::No, Present(microseconds),
        [](KTarvexController& c) { return c.ReadWriteWlTrigPulseWidth(false); },
        [&](const LaserCache& c) { *microseconds = c.wlTrigPulseWidth.pulseWidthUs; });
}

uint32_t TarvexSDK_GetGalvoLaserOnOffEnabled(uint8_t* enabled) {
    return ReadThenCopy("TarvexSDK_GetGalvoLaserOnOffEnabled", Traced::No, Present(enabled),
                        ReadGalvo, [&](const LaserCache& c) { *enabled = c.galvoLaser.en; });
}

uint32_t TarvexSDK_GetGalvoDisplacement(uint16_t* displacement) {
    return ReadThenCopy("TarvexSDK_GetGalvoDisplacement", Traced::No, Present(displacement),
                        ReadGalvo, [&](const LaserCache& c) { *displacement = c.galvoLaser.disp; });
}

uint32_t TarvexSDK_GetNumGalvoFlips(uint32_t* flips) {
    return ReadThenCopy("TarvexSDK_GetNumGalvoFlips", Traced::No, Present(flips), ReadGalvo,
                        [&](const LaserCache& c) { *flips = c.galvoLaser.flips; });
}
