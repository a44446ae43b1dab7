#pragma once

#include "WireCodec.h"

#include <cstring>

namespace tarvex {

namespace scan_mode {
inline constexpr std::uint16_t kCmd = 50;
inline constexpr std::uint8_t kSingleTune = 1, kStepMeasure = 2, kMultiSpectral = 3, kSweep = 4,
                              kAdvancedSweep = 7;
} // namespace scan_mode

namespace scan_operation {
inline constexpr std::uint16_t kCmd = 53;
inline constexpr std::uint8_t kStart = 1, kStop = 2, kPause = 3, kResume = 4, kManualStep = 5;
} // namespace scan_operation

struct SingleWWParams {
    static constexpr std::uint16_t kCmd = 51;
    float scan_ww = 0;
    std::uint8_t scan_ww_unit = 0;
    std::uint32_t scan_time_duration = 0;
    std::uint8_t qcl = 0;
    std::uint8_t flag = 0;
    std::array<std::uint8_t, 2> reserved{};
    template <typename F> void Visit(F& f) {
        f(scan_ww);
        f(scan_ww_unit);
        f(scan_time_duration);
        f(qcl);
        f(flag);
        f(reserved);
    }
};

struct SweepModeParams {
    static constexpr std::uint16_t kCmd = 52;
    float scan_start_ww = 0;
    std::uint8_t scan_start_unit = 0;
    float scan_stop_ww = 0;
    std::uint8_t scan_stop_unit = 0;
    float scan_speed = 0;
    std::uint8_t scan_speed_unit = 0;
    std::uint16_t num_scans = 0;
    std::uint8_t qcl = 0;
    std::array<std::uint8_t, 3> reserved{};
    std::uint8_t bidirectional = 0;
    template <typename F> void Visit(F& f) {
        f(scan_start_ww);
        f(scan_start_unit);
        f(scan_stop_ww);
        f(scan_stop_unit);
        f(scan_speed);
        f(scan_speed_unit);
        f(num_scans);
        f(qcl);
        f(reserved);
        f(bidirectional);
    }
};

struct StepMeasureParams {
    static constexpr std::uint16_t kCmd = 55;
    float scan_start = 0;
    std::uint8_t scan_start_unit = 0;
    float scan_stop = 0;
    std::uint8_t scan_stop_unit = 0;
    float step_size = 0;
    std::uint8_t step_size_unit = 0;
    std::uint16_t num_scans = 0;
    std::uint16_t enable_params = 0; // 1 keeps the laser on between steps
    std::array<std::uint8_t, 2> reserved{};
    template <typename F> void Visit(F& f) {
        f(scan_start);
        f(scan_start_unit);
        f(scan_stop);
        f(scan_stop_unit);
        f(step_size);
        f(step_size_unit);
        f(num_scans);
        f(enable_params);
        f(reserved);
    }
};

struct MultiSpectralElement {
    float scan_ww = 0;
    std::uint32_t dwell_time = 0;     // µs
    std::uint32_t after_off_time = 0; // µs
};

// Up to 20 wavelengths. Only the first num_ww elements are converted to and from wire order;
// the other element slots travel as they are held.
struct MultiSpectralParams {
    static constexpr std::uint16_t kCmd = 56;
    static constexpr std::size_t kMaxElements = 20;
    static constexpr std::size_t kSize = 248;
    std::uint8_t num_ww = 0;
    std::uint8_t scan_ww_unit = 0;
    std::array<MultiSpectralElement, kMaxElements> elements{};
    std::uint16_t num_scans = 0;
    std::uint16_t keep_laser_on = 0;
    std::array<std::uint8_t, 2> reserved{};
};

namespace wire {
void EncodeMultiSpectral(const MultiSpectralParams& record, std::uint8_t* out);
void DecodeMultiSpectral(const std::uint8_t* in, MultiSpectralParams& record);
} // namespace wire

struct SweepAdvancedParams {
    static constexpr std::uint16_t kCmd = 67;
    std::uint8_t units = 0;
    float start = 0;
    float stop = 0;
    float speed = 0;
    std::uint8_t bidir = 0;
    std::uint16_t numScans = 0;
    std::array<std::uint8_t, 4> used{};
    std::array<float, 4> channelStart{};
    std::array<float, 4> channelStop{};
    std::uint32_t reserved = 0;
    template <typename F> void Visit(F& f) {
        f(units);
        f(start);
        f(stop);
        f(speed);
        f(bidir);
        f(numScans);
        f(used);
        f(channelStart);
        f(channelStop);
        f(reserved);
    }
};

struct WlTrigParams {
    static constexpr std::uint16_t kCmd = 66;
    std::uint8_t qclChan = 0;
    std::uint8_t unit = 0;
    float start_ww = 0;
    float stop_ww = 0;
    float spacing = 0;
    template <typename F> void Visit(F& f) {
        f(qclChan);
        f(unit);
        f(start_ww);
        f(stop_ww);
        f(spacing);
    }
};

struct WlTrigPulseWidth {
    static constexpr std::uint16_t kCmd = 79;
    std::uint16_t pulseWidthUs = 0;
    std::uint32_t extra = 0;
    template <typename F> void Visit(F& f) {
        f(pulseWidthUs);
        f(extra);
    }
};

inline constexpr std::uint16_t kPointerEnableCmd = 70;

} // namespace tarvex
