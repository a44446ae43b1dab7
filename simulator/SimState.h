#pragma once

#include "LaserProfile.h"
#include "records/ConfigImages.h"
#include "records/DiagnosticRecords.h"
#include "records/LaserRecords.h"
#include "records/SavedStateRecords.h"
#include "records/ScanRecords.h"
#include "records/StatusRecords.h"
#include "state/ConfigSimState.h"
#include "state/DiagnosticSimState.h"
#include "state/SavedStateSimState.h"
#include "state/ScanSimState.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tarvex::sim {

// A TEC within this of its set point is at temperature, °C.
inline constexpr float kTecSettledBand = 0.05f;
// Within this, it is close to its set point, °C.
inline constexpr float kTecNearBand = 1.0f;

// One QCL module's live state.
struct SimQcl {
    LaserQclParams params;   // drive parameters as last written
    LaserQclVsrc vsrc;       // source voltage and its limits
    float tecTemp = 25.0f;   // actual TEC temperature, °C
    float tecCurrent = 0.0f; // A
    float qclCurrent = 0.0f; // mA, while emitting
    float qclVoltage = 0.0f; // V
    float fetVoltage = 0.0f; // V across the drive transistor
    bool driverOn = true;    // switched by the per-QCL on/off command (1 on, 2 off)
};

// Everything the simulated controller knows. Guarded by the SimLaser's lock.
struct SimState {
    // Inputs of the hardware, set by the controls.
    bool interlockClosed = true;
    bool keySwitchOn = true;
    bool pointerFitted = false;

    // Arming takes a moment, and so does disarming; emission follows the on/off command only
    // while armed.
    bool armed = false;
    bool arming = false;
    std::uint64_t armReadyAtMs = 0;
    bool disarming = false;
    std::uint64_t disarmDoneAtMs = 0;
    bool emission = false;
    bool pointerOn = false;
    // All installed TECs within the settling band of their set points.
    bool tecsAtTemperature = true;
    // After a power-off command: disarmed, and arming is refused until the power returns.
    bool poweredDown = false;
    LaserShutdown lastShutdown;
    double hours = 0.0; // hours of operation, counting on while the simulation runs

    // Faults and warnings.
    std::uint16_t errorWord = 0;
    bool activeFault = false;
    // The fault's cause is still there: clearing the fault does not take.
    bool faultCausePresent = false;
    SystemErrorsList faultRings;
    bool caseTemp1Warning = false;
    bool caseTemp2Warning = false;
    bool pcbTempWarning = false;
    // Tests may pin the reported status mask.
    std::optional<std::uint32_t> statusOverride;

    // Board temperatures, °C.
    float caseTemp1 = 27.5f;
    float caseTemp2 = 28.0f;
    float pcbTemp = 34.0f;
    InfoTemps boardTemps;

    // Laser-wide settings.
    LaserParams laserParams;
    WwDisplayUnits displayUnits;
    LaserOnOff laserOnOff;

    std::array<SimQcl, 4> qcl{};

    // Where the laser is tuned: the wavelength in microns (0 before the first tune), the QCL
    // lasing there (0 for none), whether the wavelength readback is valid.
    float wavelengthMicrons = 0.0f;
    std::uint8_t curQcl = 0;
    bool lightValid = false;

    ScanSimState scan;
    SavedStateSimState saved;
    DiagnosticSimState diagnostics;
    ConfigSimState config;

    std::uint64_t nowMs = 0; // simulated time of the last advance
};

} // namespace tarvex::sim
