#include "KTarvexController.h"

#include "Trace.h"

#include <algorithm>

namespace tarvex {

namespace {

constexpr std::uint8_t kMaxTextLength = 24;

// A length byte above its field's size is read as the size, so that no reader of the cache can
// run past the field.
std::uint8_t ClampLength(std::uint8_t length) {
    return std::min(length, kMaxTextLength);
}

void TraceAdminQcl(const AdminQclParams& q) {
    Trace("[Admin QCL Params] slot = %d, major = %d, minor = %d patch = %d is_available = %u"
          "min_drive_current = %f, max_drive_current = %f"
          "min_drive_cw_current = %f, max_drive_cw_current = %f"
          "set_point_temp = %f, min_drive_temp = %f, max_drive_temp = %f"
          "min_pulse_rate = %f, max_pulse_rate = %f, pulse_rate_unit = %d"
          "min_pulse_width = %f, max_pulse_width = %f pulse_width_unit = %d"
          "min_duty_cycle = %f, max_duty_cycle = %f"
          "min_scan_rate = %f, max_scan_rate = %f scan_rate_units = %u"
          "min_dwell_time = %d, max_dwell_time = %d"
          "min_ww = %f, max_ww = %f ww_unit = %u laserMode = %d",
          q.slot, q.major, q.minor, q.patch, q.is_available, q.min_drive_current,
          q.max_drive_current, q.min_drive_cw_current, q.max_drive_cw_current, q.set_point_temp,
          q.min_drive_temp, q.max_drive_temp, q.min_pulse_rate, q.max_pulse_rate, q.pulse_rate_unit,
          q.min_pulse_width, q.max_pulse_width, q.pulse_width_unit, q.min_duty_cycle,
          q.max_duty_cycle, q.min_scan_rate, q.max_scan_rate, q.scan_rate_units,
          static_cast<int>(q.min_dwell_time), static_cast<int>(q.max_dwell_time), q.min_ww,
          q.max_ww, q.ww_unit, q.laserMode);
}

} // namespace

bool KTarvexController::ReadInfoSysInfo() {
    std::lock_guard lock(transactionMutex_);
    SysInfo info;
    if (!ReadRecord(SysInfo::kCmd, info))
        return false;
    UpdateCache([&](LaserCache& c) { c.sysInfo = info; });
    Trace("[ReadInfoSysInfo] supported interface = %u, sysInfo = %u", info.supported_interface,
          info.sysInfo);
    return true;
}

bool KTarvexController::ReadWriteAdminParams(bool write) {
    std::lock_guard lock(transactionMutex_);
    const AdminParams request =
        write ? ReadCache([](const LaserCache& c) { return c.admin; }) : AdminParams{};
    AdminParams admin;
    if (!ExchangeRecord(AdminParams::kCmd, WriteOrRead(write), request, admin))
        return false;
    admin.model_num_length = ClampLength(admin.model_num_length);
    admin.serial_num_length = ClampLength(admin.serial_num_length);
    UpdateCache([&](LaserCache& c) { c.admin = admin; });
    const std::string mfgDate(admin.mfg_date.begin(), admin.mfg_date.end());
    Trace("[Admin Params] major = %d, minor = %d, patch = %d, mfg_date = %10s model_num = %24s, "
          "serial_num = %24s num_qcls = %u hrs = %f motionModuleType = 0x%x "
          "motionFirmwareVersion = 0x%x motionHardwareVersion = 0x%x",
          admin.major, admin.minor, admin.patch, mfgDate.c_str(),
          FieldText(admin.model_num_length, admin.model_num).c_str(),
          FieldText(admin.serial_num_length, admin.serial_num).c_str(), admin.num_qcls,
          static_cast<double>(admin.hrs), admin.motionModuleType, admin.motionFirmwareVersion,
          admin.motionHardwareVersion);
    return true;
}

bool KTarvexController::ReadWriteAdminQclParams(bool write) {
    return ExchangePerSlot<AdminQclParams>(
        AdminQclParams::kCmd, WriteOrRead(write), &AdminQclParams::slot,
        [&](std::uint8_t slot) {
            AdminQclParams request =
                write ? ReadCache([&](const LaserCache& c) { return c.adminQcl[slot - 1]; })
                      : AdminQclParams{};
            request.slot = slot;
            return request;
        },
        [&](std::uint8_t slot, bool ok, AdminQclParams& reply) {
            if (!ok)
                return;
            reply.serial_num_length = ClampLength(reply.serial_num_length);
            UpdateCache([&](LaserCache& c) { c.adminQcl[slot - 1] = reply; });
            TraceAdminQcl(reply);
        });
}

bool KTarvexController::ReadFwVersion() {
    std::lock_guard lock(transactionMutex_);
    FirmwareVersion version;
    if (!ReadRecord(FirmwareVersion::kCmd, version))
        return false;
    UpdateCache([&](LaserCache& c) { c.firmware = version; });
    Trace("[FW Ver] major: %u, minor: %u, patch: %u, PCB ver: -0%u", version.major, version.minor,
          version.patch, version.pcb);
    return true;
}

bool KTarvexController::ReadMbFwVersion() {
    std::lock_guard lock(transactionMutex_);
    FirmwareVersion version;
    if (!ReadRecord(FirmwareVersion::kMotionBoardCmd, version))
        return false;
    StoreRead(&LaserCache::motionFirmware, version);
    Trace("[MB FW Ver] major: %u, minor: %u, patch: %u", version.major, version.minor,
          version.patch);
    return true;
}

std::string KTarvexController::SerialNumber() const {
    return ReadCache([](const LaserCache& c) {
        return FieldText(c.admin.serial_num_length, c.admin.serial_num);
    });
}

std::string KTarvexController::ModelNumber() const {
    return ReadCache(
        [](const LaserCache& c) { return FieldText(c.admin.model_num_length, c.admin.model_num); });
}

} // namespace tarvex
