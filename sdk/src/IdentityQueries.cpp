// Queries of the laser's identity: serial and model numbers, modules, versions, board
// temperatures and display unit.
#include "Export.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

// The first controller firmware whose motion board reports its own version.
bool HasMotionBoardVersion(const FirmwareVersion& firmware) {
    return firmware.AtLeast(1, 7, 15);
}

std::uint8_t HighByte(std::uint16_t value) {
    return static_cast<std::uint8_t>(value >> 8);
}
std::uint8_t LowByte(std::uint16_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

// A text of the admin parameters, freshly read, by the text-buffer rule.
template <typename Text>
Result AdminText(const char* name, Traced traced, std::uint8_t* buffer, std::uint8_t length,
                 Text text) {
    return RunExport(name, traced, Present(buffer),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadWriteAdminParams(false))
                             return TarvexSdkResult_CommError;
                         return CopyText(text(controller), buffer, length, TextRule::MayFill);
                     });
}

} // namespace

uint32_t TarvexSDK_GetSerialNumber(uint8_t* buffer, uint8_t length) {
    return AdminText("TarvexSDK_GetSerialNumber", Traced::No, buffer, length,
                     [](const KTarvexController& c) { return c.SerialNumber(); });
}

uint32_t TarvexSDK_GetModelNumber(uint8_t* buffer, uint8_t length) {
    return AdminText("TarvexSDK_GetModelNumber", Traced::Yes, buffer, length,
                     [](const KTarvexController& c) { return c.ModelNumber(); });
}

uint32_t TarvexSDK_GetNumInstalledQcls(uint8_t* count) {
    return RunExport("TarvexSDK_GetNumInstalledQcls", Traced::Yes, Present(count),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadWriteAdminParams(false))
                             return TarvexSdkResult_CommError;
                         *count = static_cast<std::uint8_t>(controller.InstalledQcls());
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_GetHwFwVersions(uint8_t* fwMajor, uint8_t* fwMinor, uint8_t* fwPatch,
                                   uint8_t* motionFwMajor, uint8_t* motionFwMinor,
                                   uint8_t* motionFwPatch, uint8_t* pcbVersion,
                                   uint8_t* motionModuleType, uint8_t* motionHwMajor,
                                   uint8_t* motionHwMinor) {
    std::uint8_t* const outputs[] = {fwMajor,       fwMinor,       fwPatch,    motionFwMajor,
                                     motionFwMinor, motionFwPatch, pcbVersion, motionModuleType,
                                     motionHwMajor, motionHwMinor};
    const bool present =
        Present(fwMajor, fwMinor, fwPatch, motionFwMajor, motionFwMinor, motionFwPatch, pcbVersion,
                motionModuleType, motionHwMajor, motionHwMinor);
    return RunExport("TarvexSDK_GetHwFwVersions", Traced::No, present,
                     [&](KTarvexController& controller, Library&) -> Result {
                         for (std::uint8_t* output : outputs)
                             *output = 0;
                         if (!controller.ReadFwVersion())
                             return TarvexSdkResult_CommError;
                         const FirmwareVersion firmware = controller.ControllerFirmware();
                         *fwMajor = firmware.major;
                         *fwMinor = firmware.minor;
                         *fwPatch = firmware.patch;
                         *pcbVersion = firmware.pcb;
                         // Without the admin parameters the motion board's fields stay 0 and the
                         // rest goes on.
                         if (controller.ReadWriteAdminParams(false)) {
                             const AdminParams admin =
                                 controller.ReadCache([](const LaserCache& c) { return c.admin; });
                             *motionFwMajor = HighByte(admin.motionFirmwareVersion);
                             *motionFwMinor = LowByte(admin.motionFirmwareVersion);
                             *motionModuleType = LowByte(admin.motionModuleType);
                             *motionHwMajor = HighByte(admin.motionHardwareVersion);
                             *motionHwMinor = LowByte(admin.motionHardwareVersion);
                         }
                         if (!HasMotionBoardVersion(firmware))
                             return TarvexSdkResult_Success;
                         if (!controller.ReadMbFwVersion())
                             return TarvexSdkResult_CommError;
                         const FirmwareVersion motion = controller.MotionFirmware();
                         *motionFwMajor = motion.major;
                         *motionFwMinor = motion.minor;
                         *motionFwPatch = motion.patch;
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_GetSystemTemperatures(float* caseTemp1, float* caseTemp2, float* pcbTemp) {
    return RunExport(
        "TarvexSDK_GetSystemTemperatures", Traced::No, Present(caseTemp1, caseTemp2, pcbTemp),
        [&](KTarvexController& controller, Library&) -> Result {
            if (!controller.ReadTestLaserInfo())
                return TarvexSdkResult_CommError;
            const TestLaserInfo info =
                controller.ReadCache([](const LaserCache& c) { return c.testLaserInfo; });
            *caseTemp1 = info.caseTemp1;
            *caseTemp2 = info.caseTemp2;
            *pcbTemp = info.pcbTemp;
            return TarvexSdkResult_Success;
        });
}

uint32_t TarvexSDK_GetWWDisplayUnits(uint8_t* units) {
    return RunExport("TarvexSDK_GetWWDisplayUnits", Traced::Yes, Present(units),
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!controller.ReadWriteWwDisplayUnits(false))
                             return TarvexSdkResult_CommError;
                         *units = controller.ReadCache(
                             [](const LaserCache& c) { return c.displayUnits.ww; });
                         return TarvexSdkResult_Success;
                     });
}
