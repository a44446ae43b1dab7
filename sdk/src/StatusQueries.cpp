// Queries of the laser's status, light and scan progress.
#include "Export.h"
#include "control/Preconditions.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

// One status bit, from a fresh status read.
Result StatusBitQuery(const char* name, std::uint8_t* out, std::uint32_t bit) {
    return RunExport(name, Traced::Yes, Present(out),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadStatusMask())
                             return TarvexSdkResult_CommError;
                         *out = Flag(controller.StatusBit(bit));
                         return TarvexSdkResult_Success;
                     });
}

// The light information, freshly read, handed to `copy`.
template <typename Copy>
Result LightQuery(const char* name, Traced traced, bool outputsPresent, Copy copy) {
    return RunExport(name, traced, outputsPresent,
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadInfoLight())
                             return TarvexSdkResult_CommError;
                         copy(controller.ReadCache([](const LaserCache& c) { return c.light; }));
                         return TarvexSdkResult_Success;
                     });
}

} // namespace

uint32_t TarvexSDK_IsInterlockedStatusSet(uint8_t* set) {
    return StatusBitQuery("TarvexSDK_IsInterlockedStatusSet", set, status::kInterlock);
}

uint32_t TarvexSDK_IsKeySwitchStatusSet(uint8_t* set) {
    return StatusBitQuery("TarvexSDK_IsKeySwitchStatusSet", set, status::kKeySwitch);
}

uint32_t TarvexSDK_AreTECsAtSetTemperature(uint8_t* atTemp) {
    return StatusBitQuery("TarvexSDK_AreTECsAtSetTemperature", atTemp, status::kTecsAtTemperature);
}

uint32_t TarvexSDK_IsSystemError(uint8_t* error) {
    return StatusBitQuery("TarvexSDK_IsSystemError", error, status::kSystemError);
}

uint32_t TarvexSDK_IsLaserArmed(uint8_t* armed) {
    return StatusBitQuery("TarvexSDK_IsLaserArmed", armed, status::kArmed);
}

uint32_t TarvexSDK_GetSystemErrorWord(uint16_t* word) {
    return RunExport("TarvexSDK_GetSystemErrorWord", Traced::Yes, Present(word),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadStatusMask())
                             return TarvexSdkResult_CommError;
                         *word = controller.SystemErrorWord();
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_IsEmissionOn(uint8_t* on) {
    return LightQuery("TarvexSDK_IsEmissionOn", Traced::Yes, Present(on),
                      [&](const InfoLight& light) { *on = Flag(light.light_out != 0); });
}

uint32_t TarvexSDK_GetActiveQcl(uint8_t* qcl) {
    return LightQuery("TarvexSDK_GetActiveQcl", Traced::No, Present(qcl),
                      [&](const InfoLight& light) { *qcl = light.cur_qcl; });
}

uint32_t TarvexSDK_GetActualWW(float* ww, uint8_t* units, uint8_t* lightValid) {
    return LightQuery("TarvexSDK_GetActualWW", Traced::No, Present(ww, units, lightValid),
                      [&](const InfoLight& light) {
                          *ww = light.current_ww;
                          *units = light.unit;
                          *lightValid = Flag(light.light_valid != 0);
                      });
}

uint32_t TarvexSDK_GetScanStatus(uint8_t* inProgress, uint8_t* scanActive, uint8_t* statusBit7,
                                 uint16_t* curScanNum, uint16_t* scanPercent, float* currentWW,
                                 uint8_t* units, uint8_t* adjustingTemperature,
                                 uint8_t* adjustingWavelength) {
    const bool present = Present(inProgress, scanActive, statusBit7, curScanNum, scanPercent,
                                 currentWW, units, adjustingTemperature, adjustingWavelength);
    return RunExport("TarvexSDK_GetScanStatus", Traced::Yes, present,
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!(controller.ReadScanProgress() && controller.ReadInfoLight() &&
                               controller.ReadStatusMask()))
                             return TarvexSdkResult_CommError;
                         const ScanStatus s = controller.GetScanStatus();
                         *inProgress = Flag(s.scanInProgress);
                         *scanActive = Flag(s.scanActive);
                         *statusBit7 = Flag(s.statusBit7);
                         *curScanNum = s.curScanNum;
                         *scanPercent = s.scanPercent;
                         *currentWW = s.currentWw;
                         *units = s.unit;
                         *adjustingTemperature = Flag(s.adjustingTemperature);
                         *adjustingWavelength = Flag(s.adjustingWavelength);
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_GetScanWaitingProcessTrigger(uint8_t* waiting) {
    return RunExport("TarvexSDK_GetScanWaitingProcessTrigger", Traced::No, Present(waiting),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadScanProgress())
                             return TarvexSdkResult_CommError;
                         const std::uint8_t bits = controller.ReadCache(
                             [](const LaserCache& c) { return c.progress.indicator; });
                         *waiting = Flag((bits & progress::kWaitingForTrigger) != 0);
                         return TarvexSdkResult_Success;
                     });
}

// Decided from whatever the cache holds: a failed read leaves the previous picture.
uint32_t TarvexSDK_IsTuned(uint8_t* tuned) {
    return RunExport("TarvexSDK_IsTuned", Traced::Yes, Present(tuned),
                     [&](KTarvexController& controller, Library&) -> Result {
                         *tuned = Flag(control::IsTuned(controller));
                         return TarvexSdkResult_Success;
                     });
}
