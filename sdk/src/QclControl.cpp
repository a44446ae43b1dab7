// The drive parameters and the motion calibration of one QCL module.
#include "Control.h"
#include "control/QclDrive.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

Result SetDrive(const char* name, std::uint8_t qcl, const control::QclDrive& drive) {
    return RunExport(name, Traced::Yes, true, [&](KTarvexController& controller, Library&) {
        return CheckedCommand(control::CheckQclDrive(controller, qcl, drive),
                              TarvexSdkResult_QclParamsWriteFailed,
                              [&] { return control::ApplyQclDrive(controller, qcl, drive); });
    });
}

} // namespace

uint32_t TarvexSDK_SetQCLParams(uint8_t qcl, float pulseRateHz, float pulseWidthNs,
                                float currentMa) {
    control::QclDrive drive;
    drive.pulseRateHz = pulseRateHz;
    drive.pulseWidthNs = pulseWidthNs;
    drive.currentMa = currentMa;
    return SetDrive("TarvexSDK_SetQCLParams", qcl, drive);
}

uint32_t TarvexSDK_SetAllQclParams(uint8_t qcl, float pulseRateHz, float pulseWidthNs,
                                   float currentMa, float temperatureC, uint8_t laserMode) {
    control::QclDrive drive;
    drive.pulseRateHz = pulseRateHz;
    drive.pulseWidthNs = pulseWidthNs;
    drive.currentMa = currentMa;
    drive.temperatureC = temperatureC;
    drive.laserMode = laserMode;
    return SetDrive("TarvexSDK_SetAllQclParams", qcl, drive);
}

uint32_t TarvexSDK_SetMotionCalParameters(uint8_t qcl, float gratingSpacing, float radiansPerCount,
                                          float homeRadians) {
    return RunExport("TarvexSDK_SetMotionCalParameters", Traced::No, true,
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (Checks(controller).QclNumber(qcl) != control::Refusal::None)
                             return TarvexSdkResult_InvalidQclNumber;
                         const bool written = WriteChanged(
                             controller, &LaserCache::motionTest,
                             [&](auto& records) {
                                 MotionTestParams& record = records[QclIndex(qcl)];
                                 record.gratingSpacing = gratingSpacing;
                                 record.radiansPerCount = radiansPerCount;
                                 record.homeRadians = homeRadians;
                             },
                             [&] { return controller.ReadWriteMotionTestParams(true, qcl); });
                         return written ? TarvexSdkResult_Success : TarvexSdkResult_CommError;
                     });
}
