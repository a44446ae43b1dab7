#pragma once

#include "records/IdentityRecords.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarvex::sim {

// What one QCL module is: identity, limits and tuning range.
struct QclProfile {
    std::string serialNumber;
    std::uint8_t fwMajor = 1, fwMinor = 0, fwPatch = 0;
    float minDriveCurrent = 0, maxDriveCurrent = 0;                // mA
    float minDriveCwCurrent = 0, maxDriveCwCurrent = 0;            // mA
    float setPointTemp = 20, minDriveTemp = 15, maxDriveTemp = 30; // °C
    float minPulseRate = 0, maxPulseRate = 0;
    std::uint8_t pulseRateUnit = 1; // Hz
    float minPulseWidth = 0, maxPulseWidth = 0;
    std::uint8_t pulseWidthUnit = 3;          // ns
    float minDutyCycle = 0, maxDutyCycle = 0; // %
    float minScanRate = 0, maxScanRate = 0;
    std::uint8_t scanRateUnits = 1;
    std::uint32_t minDwellTime = 0, maxDwellTime = 0;
    float minWw = 0, maxWw = 0; // tuning range, in wwUnit
    std::uint8_t wwUnit = 1;    // 1 microns, 2 cm-1
    std::uint8_t laserMode = 1; // the mode the module starts in
    bool cwCapable = false;
    std::vector<std::uint8_t> filters; // CW filter modes (8, 9) the module has
    float vsrc = 12.0f;                // source voltage at power-up, V
    float maxVsrcPulsed = 15.0f, maxVsrcCw = 13.5f;

    // The tuning range in microns, lowest first.
    float MinMicrons() const;
    float MaxMicrons() const;
};

// A whole laser as the simulator presents it.
struct LaserProfile {
    std::string modelNumber = "TVX-4100";
    std::string serialNumber = "TVX0042";
    std::string mfgDate = "2026-03-14"; // ten characters
    float hours = 1234.5f;
    FirmwareVersion controllerFirmware{2, 1, 4, 3, 0};
    FirmwareVersion motionFirmware{1, 3, 0, 0, 0};
    std::uint16_t motionModuleType = 2;
    std::uint16_t motionHardwareVersion = 0x0102;
    std::uint16_t motionFirmwareVersion = 0x0130;
    std::vector<QclProfile> qcls; // one to four modules, slot 1 first

    // The four-module laser that ships with the simulator.
    static LaserProfile Default();
    // Reads a profile file (format in LaserProfile.cpp); on failure returns nothing and says
    // why in `error`, with the line number.
    static std::optional<LaserProfile> Load(const std::filesystem::path& file, std::string& error);
    static std::optional<LaserProfile> Parse(const std::string& text, std::string& error);
};

} // namespace tarvex::sim
