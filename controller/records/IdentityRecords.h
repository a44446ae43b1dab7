#pragma once

#include "WireCodec.h"

#include <string>

namespace tarvex {

// ReadInfoSysInfo reply, the connection probe.
struct SysInfo {
    static constexpr std::uint16_t kCmd = 4;
    std::uint8_t supported_interface = 0;
    std::uint8_t sysInfo = 0;
    std::array<std::uint8_t, 4> detail{}; // kept as received
    template <typename F> void Visit(F& f) {
        f(supported_interface);
        f(sysInfo);
        f(detail);
    }
};

// The laser's administration block.
struct AdminParams {
    static constexpr std::uint16_t kCmd = 150;
    std::array<std::uint8_t, 10> mfg_date{};
    std::uint8_t num_qcls = 0;
    std::uint8_t model_num_length = 0;
    std::array<std::uint8_t, 24> model_num{};
    std::uint8_t serial_num_length = 0;
    std::array<std::uint8_t, 24> serial_num{};
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t patch = 0;
    float hrs = 0;
    std::uint16_t motionModuleType = 0;
    std::uint16_t motionHardwareVersion = 0;
    std::uint16_t motionFirmwareVersion = 0;
    template <typename F> void Visit(F& f) {
        f(mfg_date);
        f(num_qcls);
        f(model_num_length);
        f(model_num);
        f(serial_num_length);
        f(serial_num);
        f(major);
        f(minor);
        f(patch);
        f(hrs);
        f(motionModuleType);
        f(motionHardwareVersion);
        f(motionFirmwareVersion);
    }
};

// One QCL module's identity and limits (slot 1 to 4).
struct AdminQclParams {
    static constexpr std::uint16_t kCmd = 151;
    std::uint8_t slot = 0;
    std::uint8_t is_available = 0;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t patch = 0;
    std::uint8_t serial_num_length = 0;
    std::array<std::uint8_t, 24> serial_num{};
    float min_drive_current = 0;
    float max_drive_current = 0;
    float min_drive_cw_current = 0;
    float max_drive_cw_current = 0;
    float set_point_temp = 0;
    float min_drive_temp = 0;
    float max_drive_temp = 0;
    float min_pulse_rate = 0;
    float max_pulse_rate = 0;
    std::uint8_t pulse_rate_unit = 0;
    float min_pulse_width = 0;
    float max_pulse_width = 0;
    std::uint8_t pulse_width_unit = 0;
    float min_duty_cycle = 0;
    float max_duty_cycle = 0;
    float min_scan_rate = 0;
    float max_scan_rate = 0;
    std::uint8_t scan_rate_units = 0;
    std::uint32_t min_dwell_time = 0;
    std::uint32_t max_dwell_time = 0;
    float min_ww = 0;
    float max_ww = 0;
    std::uint8_t ww_unit = 0;
    std::uint8_t laserMode = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(is_available);
        f(major);
        f(minor);
        f(patch);
        f(serial_num_length);
        f(serial_num);
        f(min_drive_current);
        f(max_drive_current);
        f(min_drive_cw_current);
        f(max_drive_cw_current);
        f(set_point_temp);
        f(min_drive_temp);
        f(max_drive_temp);
        f(min_pulse_rate);
        f(max_pulse_rate);
        f(pulse_rate_unit);
        f(min_pulse_width);
        f(max_pulse_width);
        f(pulse_width_unit);
        f(min_duty_cycle);
        f(max_duty_cycle);
        f(min_scan_rate);
        f(max_scan_rate);
        f(scan_rate_units);
        f(min_dwell_time);
        f(max_dwell_time);
        f(min_ww);
        f(max_ww);
        f(ww_unit);
        f(laserMode);
    }
};

// Firmware version of the controller board (154) or the motion board (156).
struct FirmwareVersion {
    static constexpr std::uint16_t kCmd = 154;
    static constexpr std::uint16_t kMotionBoardCmd = 156;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t patch = 0;
    std::uint8_t pcb = 0;   // the PCB version on the controller board
    std::uint8_t extra = 0; // kept as received
    template <typename F> void Visit(F& f) {
        f(major);
        f(minor);
        f(patch);
        f(pcb);
        f(extra);
    }
    // Versions compare as (major, minor, patch).
    bool AtLeast(int maj, int min, int pat) const {
        if (major != maj)
            return major > maj;
        if (minor != min)
            return minor > min;
        return patch >= pat;
    }
};

// A module may run continuous wave when its capability byte (laserMode) is 2 to 10.
inline bool AllowsCw(const AdminQclParams& qcl) {
    return qcl.laserMode >= 2 && qcl.laserMode <= 10;
}

// A module with CW filters fitted reports the capability byte 9.
inline bool HasCwFilters(const AdminQclParams& qcl) {
    return qcl.laserMode == 9;
}

// The highest duty cycle a module may be driven at, in percent: any, for a module that may run
// continuous wave.
inline float MaxDutyCycle(const AdminQclParams& qcl) {
    return AllowsCw(qcl) ? 100.0f : qcl.max_duty_cycle;
}

// The text of a length-prefixed field; a length above the field's size reads as its size.
template <std::size_t N>
std::string FieldText(std::uint8_t length, const std::array<std::uint8_t, N>& field) {
    const std::size_t n = length > N ? N : length;
    return std::string(reinterpret_cast<const char*>(field.data()), n);
}

} // namespace tarvex
