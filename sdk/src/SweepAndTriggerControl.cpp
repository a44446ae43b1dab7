// The laser-wide settings: the wavelength trigger, the advanced sweep and the galvo's laser
// switching.
#include "Control.h"
#include "control/Galvo.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

// The advanced sweep has a channel per QCL slot.
constexpr std::size_t kAdvancedSweepChannels = 4;

} // namespace

// --- Wavelength trigger --------------------------------------------------------------------------

uint32_t TarvexSDK_SetWlTrigParams(uint8_t pulseMode, uint8_t processTriggerMode, float startWW,
                                   float stopWW, float interval, uint8_t units, uint32_t dwellTime,
                                   uint32_t offTime) {
    return RunExport("TarvexSDK_SetWlTrigParams", Traced::No, true,
                     [&](KTarvexController& controller, Library&) {
                         const bool written = WriteChanged(
                             controller, &LaserCache::laserParams,
                             [&](LaserParams& p) {
                                 p.pulse_mode = pulseMode;
                                 p.start_ww = startWW;
                                 p.stop_ww = stopWW;
                                 p.interval = interval;
                                 p.units = units;
                                 p.process_trigger_mode = processTriggerMode;
                                 p.dwell_time = dwellTime;
                                 p.off_time = offTime;
                             },
                             [&] { return controller.ReadWriteLaserParams(true); });
                         return written ? TarvexSdkResult_Success : TarvexSdkResult_CommError;
                     });
}

uint32_t TarvexSDK_SetWlTrigPulseWidth(uint16_t microseconds) {
    return RunExport("TarvexSDK_SetWlTrigPulseWidth", Traced::No, true,
                     [&](KTarvexController& controller, Library&) {
                         const bool written = WriteChanged(
                             controller, &LaserCache::wlTrigPulseWidth,
                             [&](WlTrigPulseWidth& w) {
                                 w = {microseconds, 0};
                             },
                             [&] { return controller.ReadWriteWlTrigPulseWidth(true); });
                         return written ? TarvexSdkResult_Success : TarvexSdkResult_CommError;
                     });
}

// --- Advanced sweep: staged in the cache, sent by TarvexSDK_ReadWriteAdvancedSweepParams ---------

uint32_t TarvexSDK_SetAdvancedSweepParams(uint8_t units, float startWW, float stopWW, float speed,
                                          uint16_t numScans, uint8_t bidirectional) {
    return RunExport("TarvexSDK_SetAdvancedSweepParams", Traced::No, true,
                     [&](KTarvexController& controller, Library&) {
                         controller.UpdateCache([&](LaserCache& c) {
                             SweepAdvancedParams& a = c.sweepAdvanced;
                             a.units = units;
                             a.start = startWW;
                             a.stop = stopWW;
                             a.speed = speed;
                             a.numScans = numScans;
                             a.bidir = Flag(bidirectional != 0);
                         });
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_SetAdvancedSweepChanParams(uint8_t channel, float startWW, float stopWW,
                                              uint8_t used) {
    return RunExport("TarvexSDK_SetAdvancedSweepChanParams", Traced::No, true,
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (Checks(controller).QclNumber(channel) != control::Refusal::None ||
                             channel > kAdvancedSweepChannels)
                             return TarvexSdkResult_InvalidQclNumber;
                         controller.UpdateCache([&](LaserCache& c) {
                             SweepAdvancedParams& a = c.sweepAdvanced;
                             a.channelStart[QclIndex(channel)] = startWW;
                             a.channelStop[QclIndex(channel)] = stopWW;
                             a.used[QclIndex(channel)] = Flag(used != 0);
                         });
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_ReadWriteAdvancedSweepParams(uint8_t write) {
    return RunExport("TarvexSDK_ReadWriteAdvancedSweepParams", Traced::No, true,
                     [&](KTarvexController& controller, Library&) {
                         return controller.ReadWriteSweepAdvancedParams(write != 0)
                                    ? TarvexSdkResult_Success
                                    : TarvexSdkResult_AdvancedSweepFailed;
                     });
}

// --- Galvo laser switching -----------------------------------------------------------------------

// The displacement is kept for the next TarvexSDK_EnableGalvoLaserOnOff as well, until the next
// TarvexSDK_Initialize.
uint32_t TarvexSDK_SetGalvoDisplacement(uint16_t displacement) {
    return RunExport(
        "TarvexSDK_SetGalvoDisplacement", Traced::No, true,
        [&](KTarvexController& controller, Library& library) -> Result {
            library.galvoDisplacement = control::ClampGalvoDisplacement(displacement);
            if (!controller.ReadWriteGalvoLaserEnable(false))
                return TarvexSdkResult_CommError;
            const bool enabled =
                controller.ReadCache([](const LaserCache& c) { return c.galvoLaser.en != 0; });
            return control::WriteGalvoLaser(controller, enabled, library.galvoDisplacement)
                       ? TarvexSdkResult_Success
                       : TarvexSdkResult_CommError;
        });
}

uint32_t TarvexSDK_EnableGalvoLaserOnOff(uint8_t enable) {
    return RunExport("TarvexSDK_EnableGalvoLaserOnOff", Traced::No, true,
                     [&](KTarvexController& controller, Library& library) {
                         return control::WriteGalvoLaser(controller, enable != 0,
                                                         library.galvoDisplacement)
                                    ? TarvexSdkResult_Success
                                    : TarvexSdkResult_CommError;
                     });
}
