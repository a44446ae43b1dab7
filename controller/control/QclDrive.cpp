#include "control/QclDrive.h"

#include "PulseUnits.h"
#include "control/Preconditions.h"

namespace tarvex::control {

namespace {

bool Within(float value, float min, float max) {
    return value >= min && value <= max; // NaN is outside every range
}

Refusal CheckAgainst(const AdminQclParams& limits, const QclDrive& drive) {
    if (!Within(drive.pulseRateHz, units::RateInHz(limits.min_pulse_rate, limits.pulse_rate_unit),
                units::RateInHz(limits.max_pulse_rate, limits.pulse_rate_unit)))
        return Refusal::PulseRateOutOfRange;
    if (!Within(drive.pulseWidthNs,
                units::WidthInNs(limits.min_pulse_width, limits.pulse_width_unit),
                units::WidthInNs(limits.max_pulse_width, limits.pulse_width_unit)))
        return Refusal::PulseWidthOutOfRange;
    bool cw = false;
    if (drive.laserMode) {
        cw = IsCwMode(*drive.laserMode);
        if (!cw && *drive.laserMode != laser_mode::kPulsed)
            return Refusal::InvalidLaserMode;
        if (cw && !IsCwMode(limits.laserMode))
            return Refusal::CwNotAllowed;
    }
    const bool currentOk =
        cw ? Within(drive.currentMa, limits.min_drive_cw_current, limits.max_drive_cw_current)
           : Within(drive.currentMa, limits.min_drive_current, limits.max_drive_current);
    if (!currentOk)
        return Refusal::CurrentOutOfRange;
    if (drive.temperatureC &&
        !Within(*drive.temperatureC, limits.min_drive_temp, limits.max_drive_temp))
        return Refusal::TemperatureOutOfRange;
    return Refusal::None;
}

} // namespace

Refusal CheckQclDrive(KTarvexController& controller, std::uint8_t qcl, const QclDrive& drive) {
    const bool limitsRead =
        drive.laserMode
            ? controller.ReadWriteAdminParams(false) && controller.ReadWriteAdminQclParams(false)
            : controller.ReadWriteAdminQclParams(false) && controller.ReadWriteAdminParams(false);
    // The present parameters too: the write carries every QCL's, and the others' must go back
    // as the laser has them now, not as they were last read.
    if (!limitsRead || !controller.ReadWriteLaserQclParams(false))
        return Refusal::ReadFailed;
    if (Preconditions(controller).QclNumber(qcl) != Refusal::None)
        return Refusal::InvalidQclNumber;
    const AdminQclParams limits =
        controller.ReadCache([&](const LaserCache& c) { return c.adminQcl[qcl - 1u]; });
    return CheckAgainst(limits, drive);
}

bool ApplyQclDrive(KTarvexController& controller, std::uint8_t qcl, const QclDrive& drive) {
    if (qcl < 1 || qcl > kMaxQcls)
        return false;
    const std::size_t index = qcl - 1u;
    std::lock_guard lock(controller.TransactionMutex());
    const LaserQclParams before =
        controller.ReadCache([&](const LaserCache& c) { return c.qclParams[index]; });
    LaserQclParams wanted = before;
    wanted.pulse_rate = drive.pulseRateHz;
    wanted.pulse_rate_unit = units::kHz;
    wanted.pulse_width = drive.pulseWidthNs;
    wanted.pulse_width_unit = units::kNs;
    wanted.current = drive.currentMa;
    wanted.temp = drive.temperatureC.value_or(before.temp);
    wanted.laserMode = drive.laserMode.value_or(before.laserMode);
    controller.UpdateCache([&](LaserCache& c) { c.qclParams[index] = wanted; });
    // The write goes to every QCL and answers for the last one: only the read-back tells
    // whether this QCL took its parameters.
    const bool written = controller.ReadWriteLaserQclParams(true);
    if (!controller.ReadWriteLaserQclParams(false)) {
        if (!written)
            controller.UpdateCache([&](LaserCache& c) { c.qclParams[index] = before; });
        return false;
    }
    const LaserQclParams now =
        controller.ReadCache([&](const LaserCache& c) { return c.qclParams[index]; });
    return written && now.pulse_rate == wanted.pulse_rate &&
           now.pulse_rate_unit == wanted.pulse_rate_unit && now.pulse_width == wanted.pulse_width &&
           now.pulse_width_unit == wanted.pulse_width_unit && now.current == wanted.current &&
           now.temp == wanted.temp && now.laserMode == wanted.laserMode;
}

} // namespace tarvex::control
