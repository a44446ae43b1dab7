#pragma once

#include "records/ConfigImages.h"
#include "records/DiagnosticRecords.h"
#include "records/IdentityRecords.h"
#include "records/LaserRecords.h"
#include "records/SavedStateRecords.h"
#include "records/ScanRecords.h"
#include "records/StatusRecords.h"

#include <array>
#include <string>

namespace tarvex {

inline constexpr std::size_t kMaxQcls = 4;
inline constexpr std::size_t kGalvoSlots = 5;

// The controller's picture of the laser: the last good reply of every command, in host order.
// Per-QCL records are indexed by slot - 1 (or by the 0-based index of the diagnostic commands).
struct LaserCache {
    // Identity
    SysInfo sysInfo;
    AdminParams admin;
    std::array<AdminQclParams, kMaxQcls> adminQcl{};
    FirmwareVersion firmware;
    FirmwareVersion motionFirmware;

    // Status and readback
    InfoLight light;
    std::uint8_t activeQcl = 0; // last non-zero cur_qcl
    std::array<QclInfoParam, kMaxQcls> qclInfo{};
    std::array<QclInfoParam2, kMaxQcls> qclInfo2{};
    StatusMask status;
    InfoTemps temps;
    SystemErrorsList errors;
    ScanProgress progress;

    // Laser and QCL parameters
    LaserParams laserParams;
    std::array<LaserQclParams, kMaxQcls> qclParams{};
    std::array<LaserQclVsrc, kMaxQcls> vsrc{};
    std::array<LaserQclVsrc, kMaxQcls> initialVsrc{}; // as read by the first refresh (factory)
    LaserOnOff laserOnOff;
    std::uint8_t armDisarm = 0;
    WwDisplayUnits displayUnits;
    LaserShutdown shutdown;
    QclOnOff qclOnOff;

    // Tuning and scans
    std::uint8_t scanMode = 0;
    std::uint8_t scanOperation = 0;
    std::uint8_t tunedQcl = 0;
    std::uint8_t scanQcl = 0; // the preferred QCL of the next sweep (0: none)
    SingleWWParams singleWW;
    SweepModeParams sweep;
    StepMeasureParams stepMeasure;
    MultiSpectralParams multiSpectral;
    SweepAdvancedParams sweepAdvanced;
    WlTrigParams wlTrig;
    WlTrigPulseWidth wlTrigPulseWidth;
    std::uint8_t pointerEnable = 0;

    // Saved states and preferences
    SavedStateTable savedStates;
    std::array<std::string, kSavedStateEntries> savedStateNames{};
    SavedStateRecord saveState;
    std::uint8_t restoreState = 0;
    std::uint8_t eraseState = 0;
    std::uint8_t regenDefaultFavorite = 0;
    AudioNotificationPref audio;
    GlobalPreferences globalPrefs;
    ProvisioningIpAddr provisioningIp;

    // Factory and diagnostics
    std::array<TestQclParams, kMaxQcls> testQclParams{};
    std::array<TestQclInfo, kMaxQcls> testQclInfo{};
    std::array<TestGalvoParams, kGalvoSlots> testGalvo{};
    std::uint8_t testGalvoEnable = 0;
    std::array<TecMeas, kMaxQcls> tecMeas{};
    std::array<Encoder, kMaxQcls> encoders{};
    std::array<MotionTestParams, kMaxQcls> motionTest{};
    std::array<MoveDuration, kMaxQcls> moveDuration{};
    GalvoLaserEnable galvoLaser;
    BusVoltages busVoltages;
    SysTemps sysTemps;
    SysVoltages sysVoltages;
    std::uint8_t installedSleds = 0;
    TestLaserInfo testLaserInfo;
    std::array<TecChannel, kMaxQcls> tecChannel{};
    std::array<TecChannelDrive, kMaxQcls> tecChannelDrive{};
    std::array<QclIfTest, kMaxQcls> qclIfTest{};

    // Configuration images: the slot byte and the EEPROM image per QCL slot, and SysConfig.
    std::array<std::array<std::uint8_t, kEepromPayloadSize>, kMaxQcls> eeprom{};
    SysConfigImage sysConfig{};

    // The number of QCLs the identity read reported, at most four.
    std::size_t InstalledQcls() const {
        return admin.num_qcls > kMaxQcls ? kMaxQcls : admin.num_qcls;
    }
};

// The fields the scan-status accessor hands out together.
struct ScanStatus {
    bool scanInProgress = false; // status bit 5
    bool statusBit7 = false;
    std::uint16_t curScanNum = 0;
    std::uint16_t scanPercent = 0;
    float currentWw = 0;
    std::uint8_t unit = 0;
    bool adjustingTemperature = false;
    bool adjustingWavelength = false;
    bool safetyTimerActive = false;
    bool scanActive = false; // progress bit 3, unless bit 4 cancels it
};

} // namespace tarvex
