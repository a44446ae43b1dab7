#pragma once

#include "WireCodec.h"

namespace tarvex {

// Status mask bits.
namespace status {
inline constexpr std::uint32_t kInterlock = 0x1;
inline constexpr std::uint32_t kKeySwitch = 0x2;
inline constexpr std::uint32_t kTecsAtTemperature = 0x4;
inline constexpr std::uint32_t kScanInProgress = 0x20;
inline constexpr std::uint32_t kBit7 = 0x80;
inline constexpr std::uint32_t kSystemError = 0x100;
inline constexpr std::uint32_t kArmed = 0x400;
inline constexpr std::uint32_t kEmissionOn = 0x1000;
inline constexpr std::uint32_t kCaseTemp1Warning = 0x4000;
inline constexpr std::uint32_t kCaseTemp2Warning = 0x8000;
inline constexpr std::uint32_t kPcbTempWarning = 0x10000;
inline constexpr std::uint32_t kPointerFitted = 0x20000;
inline constexpr std::uint32_t kPointerOn = 0x40000;
} // namespace status

// Scan progress indicator bits.
namespace progress {
inline constexpr std::uint8_t kAdjustingTemperature = 0x1;
inline constexpr std::uint8_t kAdjustingWavelength = 0x2;
inline constexpr std::uint8_t kSafetyTimer = 0x4;
inline constexpr std::uint8_t kScanActive = 0x8;
inline constexpr std::uint8_t kCancelsScanActive = 0x10;
inline constexpr std::uint8_t kWaitingForTrigger = 0x20;
} // namespace progress

struct InfoLight {
    static constexpr std::uint16_t kCmd = 1;
    std::uint8_t light_out = 0;
    std::uint8_t light_valid = 0;
    float current_ww = 0;
    std::uint8_t unit = 0;
    std::uint8_t cur_qcl = 0;
    template <typename F> void Visit(F& f) {
        f(light_out);
        f(light_valid);
        f(current_ww);
        f(unit);
        f(cur_qcl);
    }
};

struct QclInfoParam {
    static constexpr std::uint16_t kCmd = 2;
    std::uint8_t qcl_slot = 0;
    float actual_temp = 0;
    float actual_current = 0;
    float actual_tec_current = 0;
    std::uint8_t extra = 0; // kept as received
    template <typename F> void Visit(F& f) {
        f(qcl_slot);
        f(actual_temp);
        f(actual_current);
        f(actual_tec_current);
        f(extra);
    }
};

struct QclInfoParam2 {
    static constexpr std::uint16_t kCmd = 9;
    std::uint8_t qcl_slot = 0;
    float qclV = 0;
    float qclVfet = 0;
    float qclVsrc = 0;
    float qclCurrent = 0;
    float qclTemp = 0;
    template <typename F> void Visit(F& f) {
        f(qcl_slot);
        f(qclV);
        f(qclVfet);
        f(qclVsrc);
        f(qclCurrent);
        f(qclTemp);
    }
};

struct StatusMask {
    static constexpr std::uint16_t kCmd = 3;
    std::uint32_t mask = 0;
    std::uint16_t errorWord = 0;
    std::array<std::uint8_t, 2> unused{};
    template <typename F> void Visit(F& f) {
        f(mask);
        f(errorWord);
        f(unused);
    }
};

struct InfoTemps {
    static constexpr std::uint16_t kCmd = 6;
    float BTemp1 = 0;
    float BTemp2 = 0;
    float PcbTemp = 0;
    std::array<float, 4> AuxTemp{};
    template <typename F> void Visit(F& f) {
        f(BTemp1);
        f(BTemp2);
        f(PcbTemp);
        f(AuxTemp);
    }
};

// The error and warning rings: Num Items codes are valid, the newest at Index - 1.
struct SystemErrorsList {
    static constexpr std::uint16_t kCmd = 8;
    static constexpr std::size_t kRingSize = 20;
    std::array<std::uint16_t, kRingSize> errors{};
    std::uint16_t errorsNumItems = 0;
    std::uint16_t errorsIndex = 0;
    std::array<std::uint16_t, kRingSize> warnings{};
    std::uint16_t warningsNumItems = 0;
    std::uint16_t warningsIndex = 0;
    template <typename F> void Visit(F& f) {
        f(errors);
        f(errorsNumItems);
        f(errorsIndex);
        f(warnings);
        f(warningsNumItems);
        f(warningsIndex);
    }
};

struct ScanProgress {
    static constexpr std::uint16_t kCmd = 54;
    std::uint8_t indicator = 0;
    std::uint16_t cur_scan_num = 0;
    std::uint16_t scan_percent = 0;
    template <typename F> void Visit(F& f) {
        f(indicator);
        f(cur_scan_num);
        f(scan_percent);
    }
};

// ExecClearFault actions.
inline constexpr std::uint16_t kClearFaultCmd = 5;
inline constexpr std::uint8_t kClearActiveFault = 3;
inline constexpr std::uint8_t kClearFaultList = 4;

} // namespace tarvex
