#include "SimHandlerSupport.h"

#include <algorithm>

namespace tarvex::sim {

namespace {

// Copies text into a length-prefixed field.
template <std::size_t N>
void PutText(const std::string& text, std::uint8_t& length, std::array<std::uint8_t, N>& field) {
    const std::size_t n = std::min(text.size(), N);
    std::copy_n(text.begin(), n, field.begin());
    length = static_cast<std::uint8_t>(n);
}

AdminParams MakeAdminParams(const LaserProfile& profile, double hours) {
    AdminParams admin;
    std::copy_n(profile.mfgDate.begin(), std::min(profile.mfgDate.size(), admin.mfg_date.size()),
                admin.mfg_date.begin());
    admin.num_qcls = static_cast<std::uint8_t>(profile.qcls.size());
    PutText(profile.modelNumber, admin.model_num_length, admin.model_num);
    PutText(profile.serialNumber, admin.serial_num_length, admin.serial_num);
    admin.major = profile.controllerFirmware.major;
    admin.minor = profile.controllerFirmware.minor;
    admin.patch = profile.controllerFirmware.patch;
    admin.hrs = static_cast<float>(hours);
    admin.motionModuleType = profile.motionModuleType;
    admin.motionHardwareVersion = profile.motionHardwareVersion;
    admin.motionFirmwareVersion = profile.motionFirmwareVersion;
    return admin;
}

AdminQclParams MakeAdminQclParams(const QclProfile& q, std::uint8_t slot) {
    AdminQclParams a;
    a.slot = slot;
    a.is_available = 1;
    a.major = q.fwMajor;
    a.minor = q.fwMinor;
    a.patch = q.fwPatch;
    PutText(q.serialNumber, a.serial_num_length, a.serial_num);
    a.min_drive_current = q.minDriveCurrent;
    a.max_drive_current = q.maxDriveCurrent;
    a.min_drive_cw_current = q.minDriveCwCurrent;
    a.max_drive_cw_current = q.maxDriveCwCurrent;
    a.set_point_temp = q.setPointTemp;
    a.min_drive_temp = q.minDriveTemp;
    a.max_drive_temp = q.maxDriveTemp;
    a.min_pulse_rate = q.minPulseRate;
    a.max_pulse_rate = q.maxPulseRate;
    a.pulse_rate_unit = q.pulseRateUnit;
    a.min_pulse_width = q.minPulseWidth;
    a.max_pulse_width = q.maxPulseWidth;
    a.pulse_width_unit = q.pulseWidthUnit;
    a.min_duty_cycle = q.minDutyCycle;
    a.max_duty_cycle = q.maxDutyCycle;
    a.min_scan_rate = q.minScanRate;
    a.max_scan_rate = q.maxScanRate;
    a.scan_rate_units = q.scanRateUnits;
    a.min_dwell_time = q.minDwellTime;
    a.max_dwell_time = q.maxDwellTime;
    a.min_ww = q.minWw;
    a.max_ww = q.maxWw;
    a.ww_unit = q.wwUnit;
    // The identity's mode byte tells what the module can do, not how it starts: pulsed only,
    // continuous wave, or continuous wave with its filters fitted.
    a.laserMode = !q.cwCapable ? laser_mode::kPulsed : q.filters.empty() ? laser_mode::kCw : 9;
    return a;
}

} // namespace

void SimLaser::RegisterIdentityHandlers() {
    // The identity is written at the factory: the simulated laser answers reads only.
    handlers_[SysInfo::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        if (request.disposition != kRead)
            return Refuse(reply);
        SysInfo info;
        info.supported_interface = 3; // serial and Ethernet
        info.sysInfo = 1;
        const FirmwareVersion& fw = profile_.controllerFirmware;
        info.detail = {fw.major, fw.minor, fw.patch, fw.pcb};
        Answer(reply, info);
    };
    handlers_[AdminParams::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        if (request.disposition != kRead)
            return Refuse(reply);
        Answer(reply, MakeAdminParams(profile_, state_.hours));
    };
    handlers_[AdminQclParams::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = request.payload.empty() ? 0 : request.payload[0];
        if (request.disposition != kRead || !IsSlot(slot))
            return Refuse(reply);
        AdminQclParams record;
        record.slot = slot; // an empty slot answers "not available"
        if (IsInstalled(profile_, slot))
            record = MakeAdminQclParams(profile_.qcls[slot - 1], slot);
        Answer(reply, record);
    };
    for (const auto& [cmd, version] :
         {std::pair{FirmwareVersion::kCmd, profile_.controllerFirmware},
          std::pair{FirmwareVersion::kMotionBoardCmd, profile_.motionFirmware}}) {
        handlers_[cmd] = [reported = version](const SimRequest& request, SimReply& reply) {
            if (request.disposition != kRead)
                return Refuse(reply);
            Answer(reply, reported);
        };
    }
}

} // namespace tarvex::sim
