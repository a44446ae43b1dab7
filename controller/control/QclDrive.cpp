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
    std::lock_guard lock(controller.TransactionMutex());
    const LaserQclParams before =
        controller.ReadCache([&](const LaserCache& c) { return c.qclParams[qcl - 1u]; });
    controller.SetQclPulseRate(qcl, drive.pulseRateHz, units::kHz);
    controller.SetQclPulseWidth(qcl, drive.pulseWidthNs, units::kNs);
    controller.SetQclCurrent(qcl, drive.currentMa);
    if (drive.temperatureC)
        controller.SetQclTemperature(qcl, *drive.temperatureC);
    if (drive.laserMode)
        controller.SetQclLaserMode(qcl, *drive.laserMode);
    if (!controller.ReadWriteLaserQclParams(true)) {
        // Not written: the laser still has what was read before.
        controller.UpdateCache([&](LaserCache& c) { c.qclParams[qcl - 1u] = before; });
        return false;
    }
    return controller.ReadWriteLaserQclParams(false);
}

} // namespace tarvex::control
