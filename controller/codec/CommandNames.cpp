#include "codec/CommandNames.h"

#include "SortedTable.h"
#include "codec/KTarvexCommand.h"

#include <utility>

namespace tarvex {
namespace {

// Sorted by id.
constexpr std::pair<std::uint16_t, const char*> kNames[] = {
    {1, "InfoLight"},
    {2, "QclInfoParam"},
    {3, "StatusMask"},
    {4, "SysInfo"},
    {5, "ClearFault"},
    {6, "InfoTemps"},
    {8, "SystemErrorsList"},
    {9, "QclInfoParam2"},
    {10, "SysVoltages"},
    {50, "ScanMode"},
    {51, "SingleWWParams"},
    {52, "SweepModeParams"},
    {53, "ScanOperation"},
    {54, "ScanProgress"},
    {55, "StepMeasureParams"},
    {56, "MultiSpectralParams"},
    {66, "WlTrigParams"},
    {67, "SweepAdvancedParams"},
    {70, "PointerEnable"},
    {71, "GalvoLaserEnable"},
    {79, "WlTrigPulseWidth"},
    {100, "LaserParams"},
    {101, "LaserQclParams"},
    {102, "LaserOnOff"},
    {103, "LaserArmDisarm"},
    {106, "LaserQclVsrc"},
    {150, "AdminParams"},
    {151, "AdminQclParams"},
    {152, "FirmwareUpdate"},
    {153, "LaserShutdown"},
    {154, "FwVersion"},
    {155, "MbFwData"},
    {156, "MbFwVersion"},
    {200, "WwDisplayUnits"},
    {201, "SysSaveState"},
    {202, "SysRestoreState"},
    {203, "SysEraseState"},
    {204, "SysSavedStateName"},
    {205, "SysNumSavedStates"},
    {206, "ProvisioningIpAddr"},
    {207, "AudioNotificationPref"},
    {208, "GlobalPreferences"},
    {1000, "TestQclParams"},
    {1003, "TestQclInfo"},
    {1004, "TestGalvoParams"},
    {1005, "TestGalvoEnable"},
    {1007, "QclOnOff"},
    {1008, "EEPROMData"},
    {1009, "TestLaserInfo"},
    {1010, "SysConfig"},
    {1013, "RegenDefaultFavorite"},
    {1015, "TecMeas"},
    {1016, "Encoder"},
    {1017, "MotionTestParams"},
    {1024, "MoveDuration"},
    {1101, "BusVoltages"},
    {1104, "TecChannel"},
    {1105, "TecChannelDrive"},
    {1106, "SysTemps"},
    {1108, "InstalledSleds"},
    {1109, "QclIfTest"},
};
static_assert(SortedByKey(kNames));

} // namespace

const char* CommandName(std::uint16_t cmdID) {
    return FindByKey(kNames, cmdID, static_cast<const char*>(nullptr));
}

const char* DispositionName(std::uint8_t disposition) {
    switch (disposition) {
    case kRead:
        return "read";
    case kWrite:
        return "write";
    case kExecute:
        return "execute";
    case kResponse:
        return "response";
    default:
        return nullptr;
    }
}

} // namespace tarvex
