// Tuning, the scan starts and the run control of a scan in progress.
#include "Control.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

// The laser is not kept on between the points of a step-and-measure or multi-spectral scan.
constexpr bool kLaserOffBetweenPoints = false;
// A tune goes as fast as the laser can.
constexpr std::uint32_t kNoTuneDuration = 0;

// Stop, pause, resume or manual step of the scan in progress.
template <typename Operation>
Result RunControl(const char* name, Result failed, Operation operation) {
    return RunExport(name, Traced::Yes, true, [&](KTarvexController& controller, Library&) {
        return CheckedCommand(Checks(controller).ForRunControl(), failed,
                              [&] { return operation(controller); });
    });
}

} // namespace

// --- Tune and scan starts ------------------------------------------------------------------------

uint32_t TarvexSDK_TuneToWW(float ww, uint8_t units, uint8_t qcl) {
    return RunExport(
        "TarvexSDK_TuneToWW", Traced::Yes, true, [&](KTarvexController& controller, Library&) {
            return CheckedCommand(
                Checks(controller).ForTune(ww, units, qcl), TarvexSdkResult_TuneCommandFailed,
                [&] { return controller.TuneToWW(ww, units, kNoTuneDuration, qcl); });
        });
}

uint32_t TarvexSDK_StartSweepScan(float startWW, float stopWW, float speed, uint8_t units,
                                  uint16_t numScans, uint8_t bidirectional, uint8_t qcl) {
    return RunExport("TarvexSDK_StartSweepScan", Traced::Yes, true,
                     [&](KTarvexController& controller, Library&) {
                         return CheckedCommand(
                             Checks(controller).ForSweep(startWW, stopWW, units, qcl),
                             TarvexSdkResult_SweepScanStartFailed, [&] {
                                 return controller.StartSweepScan(startWW, stopWW, speed, units,
                                                                  numScans, bidirectional != 0,
                                                                  qcl);
                             });
                     });
}

uint32_t TarvexSDK_StartStepMeasureModeScan(float startWW, float stopWW, float stepSize,
                                            uint8_t units, uint16_t numScans) {
    return RunExport("TarvexSDK_StartStepMeasureModeScan", Traced::Yes, true,
                     [&](KTarvexController& controller, Library&) {
                         return CheckedCommand(
                             Checks(controller).ForStepMeasure(startWW, stopWW, units),
                             TarvexSdkResult_StepMeasureScanStartFailed, [&] {
                                 return controller.StartStepMeasureScan(startWW, stopWW, stepSize,
                                                                        units, numScans,
                                                                        kLaserOffBetweenPoints);
                             });
                     });
}

uint32_t TarvexSDK_StartMultiSpectralModeScan(uint16_t numScans) {
    return RunExport("TarvexSDK_StartMultiSpectralModeScan", Traced::Yes, true,
                     [&](KTarvexController& controller, Library& library) {
                         const control::MultiSpectralList& list = library.multiSpectral;
                         return CheckedCommand(Checks(controller).ForMultiSpectral(list),
                                               TarvexSdkResult_MultiSpectralScanStartFailed, [&] {
                                                   return controller.StartMultiSpectralScan(
                                                       list.Elements(), list.Unit(), numScans,
                                                       kLaserOffBetweenPoints);
                                               });
                     });
}

// Runs the advanced sweep as TarvexSDK_ReadWriteAdvancedSweepParams last wrote it.
uint32_t TarvexSDK_StartSweepAdvancedScan(void) {
    return RunExport("TarvexSDK_StartSweepAdvancedScan", Traced::No, true,
                     [](KTarvexController& controller, Library&) {
                         return controller.StartSweepAdvancedScan()
                                    ? TarvexSdkResult_Success
                                    : TarvexSdkResult_AdvancedSweepFailed;
                     });
}

// --- Run control ---------------------------------------------------------------------------------

uint32_t TarvexSDK_StopScanInProgress(void) {
    return RunControl("TarvexSDK_StopScanInProgress", TarvexSdkResult_StopScanFailed,
                      [](KTarvexController& c) { return c.StopScan(); });
}

uint32_t TarvexSDK_PauseScanInProgress(void) {
    return RunControl("TarvexSDK_PauseScanInProgress", TarvexSdkResult_PauseScanFailed,
                      [](KTarvexController& c) { return c.PauseScan(); });
}

uint32_t TarvexSDK_ResumeScanInProgress(void) {
    return RunControl("TarvexSDK_ResumeScanInProgress", TarvexSdkResult_ResumeScanFailed,
                      [](KTarvexController& c) { return c.ResumeScan(); });
}

uint32_t TarvexSDK_ManualStepScanInProgress(void) {
    return RunControl("TarvexSDK_ManualStepScanInProgress", TarvexSdkResult_ManualStepFailed,
                      [](KTarvexController& c) { return c.ManualStep(); });
}

uint32_t TarvexSDK_CancelManualTuneMode(void) {
    TraceExport("TarvexSDK_CancelManualTuneMode");
    return TarvexSDK_StopScanInProgress();
}

// The trigger a scan waits for in the manual process-trigger mode: sent whatever the status.
uint32_t TarvexSDK_InjectProcessTrigger(void) {
    return RunExport("TarvexSDK_InjectProcessTrigger", Traced::No, true,
                     [](KTarvexController& controller, Library&) {
                         return controller.InjectProcessTrigger()
                                    ? TarvexSdkResult_Success
                                    : TarvexSdkResult_ProcessTriggerFailed;
                     });
}

// --- The multi-spectral list ---------------------------------------------------------------------

uint32_t TarvexSDK_SetNumMultiSpectralElements(uint8_t count) {
    return RunExport("TarvexSDK_SetNumMultiSpectralElements", Traced::Yes, true,
                     [&](KTarvexController&, Library& library) {
                         return ResultOf(library.multiSpectral.Announce(count));
                     });
}

uint32_t TarvexSDK_AddMultiSpectralElement(float ww, uint8_t units, uint32_t dwellTime,
                                           uint32_t offTime) {
    return RunExport("TarvexSDK_AddMultiSpectralElement", Traced::Yes, true,
                     [&](KTarvexController& controller, Library& library) {
                         control::Preconditions checks = Checks(controller);
                         return ResultOf(
                             library.multiSpectral.Add(checks, ww, units, dwellTime, offTime));
                     });
}
