#pragma once

#include "WireCodec.h"

namespace tarvex {

struct TestQclParams {
    static constexpr std::uint16_t kCmd = 1000;
    std::uint8_t slot = 0;
    float tec_target_temp = 0;
    std::uint32_t period = 0;
    std::uint32_t width = 0;
    float qcl_target_current = 0;
    float ww = 0;
    float qcl_vsource = 0;
    std::uint8_t units = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(tec_target_temp);
        f(period);
        f(width);
        f(qcl_target_current);
        f(ww);
        f(qcl_vsource);
        f(units);
    }
};

struct TestQclInfo {
    static constexpr std::uint16_t kCmd = 1003;
    std::uint8_t slot = 0;
    std::uint8_t qcl_on_off = 0;
    std::uint8_t tec_enabled_disabled = 0;
    float tec_current = 0;
    float tec_temp = 0;
    float qcl_temp = 0;
    float qcl_vsource = 0;
    float actual_ww = 0;
    std::uint8_t actual_ww_unit = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(qcl_on_off);
        f(tec_enabled_disabled);
        f(tec_current);
        f(tec_temp);
        f(qcl_temp);
        f(qcl_vsource);
        f(actual_ww);
        f(actual_ww_unit);
    }
};

struct TestGalvoParams {
    static constexpr std::uint16_t kCmd = 1004;
    std::uint8_t slot = 0;
    std::int32_t dac_count = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(dac_count);
    }
};

inline constexpr std::uint16_t kTestGalvoEnableCmd = 1005;

// TEC channel measurement, by 0-based index.
struct TecMeas {
    static constexpr std::uint16_t kCmd = 1015;
    std::uint8_t index = 0;
    float voltage = 0;
    float current = 0;
    float resistance = 0;
    template <typename F> void Visit(F& f) {
        f(index);
        f(voltage);
        f(current);
        f(resistance);
    }
};

struct Encoder {
    static constexpr std::uint16_t kCmd = 1016;
    std::uint8_t slot = 0;
    std::int32_t enc = 0;
    std::uint32_t rsvd1 = 0;
    std::uint32_t rsvd2 = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(enc);
        f(rsvd1);
        f(rsvd2);
    }
};

struct MotionTestParams {
    static constexpr std::uint16_t kCmd = 1017;
    std::uint8_t slot = 0;
    float gratingSpacing = 0;
    float radiansPerCount = 0;
    float homeRadians = 0;
    template <typename F> void Visit(F& f) {
        f(slot);
        f(gratingSpacing);
        f(radiansPerCount);
        f(homeRadians);
    }
};

// Move duration of a QCL's grating, by 0-based index.
struct MoveDuration {
    static constexpr std::uint16_t kCmd = 1024;
    std::uint8_t index = 0;
    std::uint32_t duration = 0;
    template <typename F> void Visit(F& f) {
        f(index);
        f(duration);
    }
};

struct GalvoLaserEnable {
    static constexpr std::uint16_t kCmd = 71;
    static constexpr std::uint16_t kDefaultDisplacement = 500;
    std::uint8_t en = 0;
    std::uint16_t disp = 0;
    std::uint32_t flips = 0;
    template <typename F> void Visit(F& f) {
        f(en);
        f(disp);
        f(flips);
    }
};

struct BusVoltages {
    static constexpr std::uint16_t kCmd = 1101;
    float busVoltage = 0;
    float busCurrent = 0;
    float v12 = 0;
    float v3_3 = 0;
    float v5 = 0;
    float vMinus5 = 0;
    std::uint16_t suppliesGood = 0;
    template <typename F> void Visit(F& f) {
        f(busVoltage);
        f(busCurrent);
        f(v12);
        f(v3_3);
        f(v5);
        f(vMinus5);
        f(suppliesGood);
    }
};

struct SysTemps {
    static constexpr std::uint16_t kCmd = 1106;
    float pcbTemp = 0;
    float bTemp1 = 0;
    float bTemp2 = 0;
    std::array<float, 4> aux{};
    float humidity = 0;
    template <typename F> void Visit(F& f) {
        f(pcbTemp);
        f(bTemp1);
        f(bTemp2);
        f(aux);
        f(humidity);
    }
};

struct SysVoltages {
    static constexpr std::uint16_t kCmd = 10;
    std::array<float, 8> volts{};
    std::uint16_t extra = 0; // kept as received
    template <typename F> void Visit(F& f) {
        f(volts);
        f(extra);
    }
};

inline constexpr std::uint16_t kInstalledSledsCmd = 1108;

struct TestLaserInfo {
    static constexpr std::uint16_t kCmd = 1009;
    float caseTemp1 = 0;
    float caseTemp2 = 0;
    float pcbTemp = 0;
    template <typename F> void Visit(F& f) {
        f(caseTemp1);
        f(caseTemp2);
        f(pcbTemp);
    }
};

struct TecChannel {
    static constexpr std::uint16_t kCmd = 1104;
    std::uint8_t index = 0;
    std::uint8_t on = 0;
    std::uint8_t direction = 0; // 1 forward, other values reverse
    float volts = 0;
    float amps = 0;
    float ohms = 0;
    template <typename F> void Visit(F& f) {
        f(index);
        f(on);
        f(direction);
        f(volts);
        f(amps);
        f(ohms);
    }
};

struct TecChannelDrive {
    static constexpr std::uint16_t kCmd = 1105;
    std::uint8_t index = 0;
    std::uint8_t enable = 0;
    float setValue = 0;
    float secondValue = 0;
    std::uint8_t extra = 0;
    std::uint8_t flag = 0;
    template <typename F> void Visit(F& f) {
        f(index);
        f(enable);
        f(setValue);
        f(secondValue);
        f(extra);
        f(flag);
    }
};

struct QclIfTest {
    static constexpr std::uint16_t kCmd = 1109;
    std::uint8_t ch = 0;
    std::uint8_t inst = 0;
    std::uint8_t results = 0;
    float dacV = 0;
    float drvPV = 0;
    float drvNV = 0;
    float qTemp = 0;
    float hTemp = 0;
    template <typename F> void Visit(F& f) {
        f(ch);
        f(inst);
        f(results);
        f(dacV);
        f(drvPV);
        f(drvNV);
        f(qTemp);
        f(hTemp);
    }
};

} // namespace tarvex
