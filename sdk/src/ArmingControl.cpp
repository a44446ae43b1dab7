// Arming and disarming the laser, and its emission.
#include "Control.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

constexpr std::uint8_t kArm = 1, kDisarm = 0;
// The emission command names no QCL: the laser lases with the one it is tuned with.
constexpr std::uint8_t kTunedQcl = 0;

} // namespace

uint32_t TarvexSDK_ArmLaser(void) {
    return RunExport(
        "TarvexSDK_ArmLaser", Traced::Yes, true, [](KTarvexController& controller, Library&) {
            return CheckedCommand(Checks(controller).ForArm(), TarvexSdkResult_ArmCommandFailed,
                                  [&] { return controller.ExecLaserArmDisarm(kArm); });
        });
}

uint32_t TarvexSDK_DisarmLaser(void) {
    return RunExport(
        "TarvexSDK_DisarmLaser", Traced::Yes, true, [](KTarvexController& controller, Library&) {
            return CheckedCommand(Checks(controller).ForDisarm(), TarvexSdkResult_ArmCommandFailed,
                                  [&] { return controller.ExecLaserArmDisarm(kDisarm); });
        });
}

uint32_t TarvexSDK_ArmDisarmLaser(void) {
    return RunExport("TarvexSDK_ArmDisarmLaser", Traced::Yes, true,
                     [](KTarvexController& controller, Library&) {
                         bool arm = false;
                         const control::Refusal refusal = Checks(controller).ForToggleArm(arm);
                         return CheckedCommand(refusal, TarvexSdkResult_ArmCommandFailed, [&] {
                             return controller.ExecLaserArmDisarm(arm ? kArm : kDisarm);
                         });
                     });
}

uint32_t TarvexSDK_TurnEmissionOn(void) {
    return RunExport(
        "TarvexSDK_TurnEmissionOn", Traced::Yes, true, [](KTarvexController& controller, Library&) {
            return CheckedCommand(Checks(controller).ForEmissionOn(),
                                  TarvexSdkResult_EmissionOnFailed,
                                  [&] { return controller.SetLaserOnOff(true, kTunedQcl); });
        });
}

uint32_t TarvexSDK_TurnEmissionOff(void) {
    return RunExport("TarvexSDK_TurnEmissionOff", Traced::Yes, true,
                     [](KTarvexController& controller, Library&) {
                         return CheckedCommand(
                             Checks(controller).ForEmissionOff(), TarvexSdkResult_EmissionOffFailed,
                             [&] { return controller.SetLaserOnOff(false, kTunedQcl); });
                     });
}
