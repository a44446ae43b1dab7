#pragma once

#include "WireCodec.h"

namespace tarvex {

// Unit and mode codes shared by the laser, scan and diagnostic records.
namespace units {
inline constexpr std::uint8_t kMicrons = 1;
inline constexpr std::uint8_t kWavenumber = 2; // cm-1
inline constexpr std::uint8_t kHz = 1, kKHz = 2, kMHz = 3;
inline constexpr std::uint8_t kMs = 1, kUs = 2, kNs = 3;
// Wavelength in microns to wavenumber in cm-1 and back; 0 stays 0.
inline float Convert(float value) {
    return value == 0.0f ? 0.0f : 10000.0f / value;
}
} // namespace units

namespace laser_mode {
inline constexpr std::uint8_t kPulsed = 1;
inline constexpr std::uint8_t kCw = 2;
// The display name of a laser mode code, or an empty string for an unknown code.
const char* Name(std::uint8_t mode);
} // namespace laser_mode

namespace pulse_mode {
inline constexpr std::uint8_t kInternal = 1, kExternalTrigger = 2, kExternalPassThrough = 3,
                              kWavelengthTrigger = 4;
}

namespace process_trigger {
inline constexpr std::uint8_t kInternal = 1, kExternalStep = 2, kManual = 3;
}

// Laser-wide pulse and trigger parameters.
struct LaserParams {
    static constexpr std::uint16_t kCmd = 100;
    std::uint8_t laser_mode = 0;
    std::uint8_t pulse_mode = 0;
    float start_ww = 0;
    float stop_ww = 0;
    float interval = 0;
    std::uint8_t units = 0;
    std::uint8_t process_trigger_mode = 0;
    std::uint32_t dwell_time = 0; // µs
    std::uint32_t off_time = 0;   // µs
    template <typename F> void Visit(F& f) {
        f(laser_mode);
        f(pulse_mode);
        f(start_ww);
        f(stop_ww);
        f(interval);
        f(units);
        f(process_trigger_mode);
        f(dwell_time);
        f(off_time);
    }
};

// One QCL's drive parameters.
struct LaserQclParams {
    static constexpr std::uint16_t kCmd = 101;
    std::uint8_t slot = 0;
    float pulse_rate = 0;
    std::uint8_t pulse_rate_unit = 0;
    float pulse_width = 0;
    std::uint8_t pulse_width_unit = 0;
    float current = 0; // mA
    float temp = 0;    // °C
    std::uint8_t laserMode = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(pulse_rate);
        f(pulse_rate_unit);
        f(pulse_width);
        f(pulse_width_unit);
        f(current);
        f(temp);
        f(laserMode);
    }
};

// One QCL's source voltage and its limits.
struct LaserQclVsrc {
    static constexpr std::uint16_t kCmd = 106;
    std::uint8_t slot = 0;
    float vsrc = 0;
    float maxPulsed = 0;
    float maxCw = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(vsrc);
        f(maxPulsed);
        f(maxCw);
    }
};

struct LaserOnOff {
    static constexpr std::uint16_t kCmd = 102;
    std::uint8_t on_off = 0;
    std::uint8_t slot = 0;
    std::array<std::uint8_t, 3> extra{}; // kept as received
    template <typename F> void Visit(F& f) {
        f(on_off);
        f(slot);
        f(extra);
    }
};

inline constexpr std::uint16_t kArmDisarmCmd = 103;

struct WwDisplayUnits {
    static constexpr std::uint16_t kCmd = 200;
    std::uint8_t ww = 0;
    std::uint8_t pulse_rate = 0;
    template <typename F> void Visit(F& f) {
        f(ww);
        f(pulse_rate);
    }
};

struct LaserShutdown {
    static constexpr std::uint16_t kCmd = 153;
    std::uint8_t first = 0;
    std::uint32_t value = 0;
    std::uint8_t last = 0;
    template <typename F> void Visit(F& f) {
        f(first);
        f(value);
        f(last);
    }
};

struct QclOnOff {
    static constexpr std::uint16_t kCmd = 1007;
    std::uint8_t slot = 0;
    std::uint8_t cmd = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(cmd);
    }
};

} // namespace tarvex
