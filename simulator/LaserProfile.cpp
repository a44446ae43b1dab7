#include "LaserProfile.h"

#include "records/LaserRecords.h"

#include <algorithm>

namespace tarvex::sim {

float QclProfile::MinMicrons() const {
    return wwUnit == units::kMicrons ? minWw : units::Convert(maxWw);
}

float QclProfile::MaxMicrons() const {
    return wwUnit == units::kMicrons ? maxWw : units::Convert(minWw);
}

namespace {

QclProfile MakeQcl(const char* serial, float minWw, float maxWw, std::uint8_t wwUnit,
                   float maxCurrent, bool cw) {
    QclProfile q;
    q.serialNumber = serial;
    q.fwMajor = 1;
    q.fwMinor = 4;
    q.fwPatch = 2;
    q.minDriveCurrent = 0.0f;
    q.maxDriveCurrent = maxCurrent;
    q.minDriveCwCurrent = 0.0f;
    q.maxDriveCwCurrent = cw ? maxCurrent * 0.6f : 0.0f;
    q.setPointTemp = 19.0f;
    q.minDriveTemp = 15.0f;
    q.maxDriveTemp = 25.0f;
    q.minPulseRate = 100.0f;
    q.maxPulseRate = 3000000.0f;
    q.pulseRateUnit = units::kHz;
    q.minPulseWidth = 40.0f;
    q.maxPulseWidth = 500.0f;
    q.pulseWidthUnit = units::kNs;
    q.minDutyCycle = 0.0f;
    q.maxDutyCycle = 30.0f;
    q.minScanRate = 1.0f;
    q.maxScanRate = 1000.0f;
    q.scanRateUnits = wwUnit;
    q.minDwellTime = 1;
    q.maxDwellTime = 60000000;
    q.minWw = minWw;
    q.maxWw = maxWw;
    q.wwUnit = wwUnit;
    q.laserMode = laser_mode::kPulsed;
    q.cwCapable = cw;
    if (cw)
        q.filters = {8, 9};
    return q;
}

} // namespace

LaserProfile LaserProfile::Default() {
    // Four modules covering 4.2 to 10.5 µm, two specified in microns and two in cm-1, with
    // small overlaps at the crossovers.
    LaserProfile profile;
    profile.qcls = {
        MakeQcl("QM1-0381", 4.2f, 5.05f, units::kMicrons, 900.0f, true),
        MakeQcl("QM2-0517", 1650.0f, 2000.0f, units::kWavenumber, 1000.0f, true),
        MakeQcl("QM3-0226", 6.0f, 8.1f, units::kMicrons, 1100.0f, false),
        MakeQcl("QM4-0449", 950.0f, 1250.0f, units::kWavenumber, 1200.0f, false),
    };
    return profile;
}

std::optional<LaserProfile> LaserProfile::Load(const std::filesystem::path&, std::string& error) {
    error = "profile files are not supported yet";
    return std::nullopt;
}

} // namespace tarvex::sim
