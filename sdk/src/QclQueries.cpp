// Queries of one QCL module: its limits, its operating parameters and its readbacks.
#include "Export.h"
#include "PulseUnits.h"
#include "control/Preconditions.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

using control::IsCwMode;
constexpr std::uint8_t kCwFiltersMode = 9;
constexpr float kCwDutyCycle = 100.0f;

bool ReadAdmin(KTarvexController& c) {
    return c.ReadWriteAdminParams(false);
}
bool ReadLimits(KTarvexController& c) {
    return ReadAdmin(c) && c.ReadWriteAdminQclParams(false);
}
bool ReadOperating(KTarvexController& c) {
    return ReadAdmin(c) && c.ReadWriteLaserQclParams(false);
}
bool ReadInfo(KTarvexController& c) {
    return ReadAdmin(c) && c.ReadQclInfoParam();
}

// A query that reads first and then checks the QCL: `reads`, then the check (an invalid QCL
// runs `onInvalid` and gives InvalidQclNumber), then `copy(cache, index)`.
template <typename Reads, typename Copy, typename Invalid>
Result ReadThenCheck(const char* name, Traced traced, bool present, std::uint8_t qcl, Reads reads,
                     Copy copy, Invalid onInvalid) {
    return RunExport(name, traced, present, [&](KTarvexController& controller, Library&) -> Result {
        if (!reads(controller))
            return TarvexSdkResult_CommError;
        if (!IsInstalledQcl(controller, qcl)) {
            onInvalid();
            return TarvexSdkResult_InvalidQclNumber;
        }
        controller.ReadCache([&](const LaserCache& cache) { copy(cache, QclIndex(qcl)); });
        return TarvexSdkResult_Success;
    });
}

// A query that refuses an invalid QCL before anything is sent: the check, `read(index)`, then
// `copy(cache, index)`; `onFailure` runs on either failure.
template <typename Read, typename Copy, typename Failure>
Result CheckThenRead(const char* name, bool present, std::uint8_t qcl, Read read, Copy copy,
                     Failure onFailure) {
    return RunExport(
        name, Traced::No, present, [&](KTarvexController& controller, Library&) -> Result {
            if (!IsInstalledQcl(controller, qcl)) {
                onFailure();
                return TarvexSdkResult_InvalidQclNumber;
            }
            if (!read(controller, QclIndex(qcl))) {
                onFailure();
                return TarvexSdkResult_CommError;
            }
            controller.ReadCache([&](const LaserCache& cache) { copy(cache, QclIndex(qcl)); });
            return TarvexSdkResult_Success;
        });
}

void Untouched() {}

// What a single-value query writes for a QCL it refuses.
enum class OnInvalid { Untouched, Zero };

// A single-value query of the ReadThenCheck kind: `pick(cache, index)` gives the value.
template <typename T, typename Reads, typename Pick>
Result QclValue(const char* name, Traced traced, std::uint8_t qcl, T* out, Reads reads,
                OnInvalid onInvalid, Pick pick) {
    return ReadThenCheck(
        name, traced, Present(out), qcl, reads,
        [&](const LaserCache& c, std::size_t i) { *out = pick(c, i); },
        [&] {
            if (onInvalid == OnInvalid::Zero)
                *out = 0;
        });
}

bool NoRead(KTarvexController&) {
    return true;
}

} // namespace

// --- Limits --------------------------------------------------------------------------------------

uint32_t TarvexSDK_GetQCLMaxCwCurrent(uint8_t qcl, uint16_t* mA) {
    return QclValue("TarvexSDK_GetQCLMaxCwCurrent", Traced::No, qcl, mA, ReadLimits,
                    OnInvalid::Zero, [](const LaserCache& c, std::size_t i) {
                        return TruncateToU16(c.adminQcl[i].max_drive_cw_current);
                    });
}

uint32_t TarvexSDK_GetQCLMaxPulsedCurrent(uint8_t qcl, uint16_t* mA) {
    return QclValue("TarvexSDK_GetQCLMaxPulsedCurrent", Traced::No, qcl, mA, ReadLimits,
                    OnInvalid::Zero, [](const LaserCache& c, std::size_t i) {
                        return TruncateToU16(c.adminQcl[i].max_drive_current);
                    });
}

uint32_t TarvexSDK_GetQCLPulseLimits(uint8_t qcl, float* maxRate, float* maxWidth, float* maxDuty) {
    return ReadThenCheck(
        "TarvexSDK_GetQCLPulseLimits", Traced::No, Present(maxRate, maxWidth, maxDuty), qcl,
        ReadLimits,
        [&](const LaserCache& c, std::size_t i) {
            const AdminQclParams& q = c.adminQcl[i];
            *maxRate = q.max_pulse_rate;
            *maxWidth = q.max_pulse_width;
            *maxDuty = IsCwMode(q.laserMode) ? kCwDutyCycle : q.max_duty_cycle;
        },
        [&] { *maxRate = *maxWidth = *maxDuty = 0; });
}

uint32_t TarvexSDK_GetQCLTemperatureRange(uint8_t qcl, float* setPoint, float* min, float* max) {
    return ReadThenCheck(
        "TarvexSDK_GetQCLTemperatureRange", Traced::No, Present(setPoint, min, max), qcl,
        ReadLimits,
        [&](const LaserCache& c, std::size_t i) {
            const AdminQclParams& q = c.adminQcl[i];
            *setPoint = q.set_point_temp;
            *min = q.min_drive_temp;
            *max = q.max_drive_temp;
        },
        Untouched);
}

uint32_t TarvexSDK_GetQclTuningRange(uint8_t qcl, float* min, float* max, uint8_t* units) {
    return ReadThenCheck(
        "TarvexSDK_GetQclTuningRange", Traced::Yes, Present(min, max, units), qcl,
        [](KTarvexController& c) { return c.ReadWriteAdminQclParams(false); },
        [&](const LaserCache& c, std::size_t i) {
            const AdminQclParams& q = c.adminQcl[i];
            *min = q.min_ww;
            *max = q.max_ww;
            *units = q.ww_unit;
        },
        [&] {
            *min = *max = 0;
            *units = units::kMicrons;
        });
}

uint32_t TarvexSDK_isCwAllowed(uint8_t qcl, uint8_t* allowed) {
    return QclValue(
        "TarvexSDK_isCwAllowed", Traced::No, qcl, allowed, ReadLimits, OnInvalid::Zero,
        [](const LaserCache& c, std::size_t i) { return Flag(IsCwMode(c.adminQcl[i].laserMode)); });
}

// From the limits of the last read: nothing is sent.
uint32_t TarvexSDK_areCwFiltersInstalled(uint8_t qcl, uint8_t* installed) {
    return QclValue("TarvexSDK_areCwFiltersInstalled", Traced::No, qcl, installed, NoRead,
                    OnInvalid::Zero, [](const LaserCache& c, std::size_t i) {
                        return Flag(c.adminQcl[i].laserMode == kCwFiltersMode);
                    });
}

// --- Operating parameters ------------------------------------------------------------------------

uint32_t TarvexSDK_GetQCLCurrent(uint8_t qcl, float* mA) {
    return QclValue("TarvexSDK_GetQCLCurrent", Traced::Yes, qcl, mA, ReadOperating,
                    OnInvalid::Untouched,
                    [](const LaserCache& c, std::size_t i) { return c.qclParams[i].current; });
}

// Reads the QCL parameters like the other operating-parameter queries: a rate from the cache
// alone would be the one of the last connection or width query, not the laser's.
uint32_t TarvexSDK_GetQCLPulseRate(uint8_t qcl, float* hz) {
    return QclValue("TarvexSDK_GetQCLPulseRate", Traced::Yes, qcl, hz, ReadOperating,
                    OnInvalid::Untouched, [](const LaserCache& c, std::size_t i) {
                        const LaserQclParams& p = c.qclParams[i];
                        return units::RateInHz(p.pulse_rate, p.pulse_rate_unit);
                    });
}

uint32_t TarvexSDK_GetQCLPulseWidth(uint8_t qcl, float* ns) {
    return QclValue("TarvexSDK_GetQCLPulseWidth", Traced::Yes, qcl, ns, ReadOperating,
                    OnInvalid::Untouched, [](const LaserCache& c, std::size_t i) {
                        const LaserQclParams& p = c.qclParams[i];
                        return units::WidthInNs(p.pulse_width, p.pulse_width_unit);
                    });
}

uint32_t TarvexSDK_GetQclSetTemperature(uint8_t qcl, float* degC) {
    return QclValue("TarvexSDK_GetQclSetTemperature", Traced::No, qcl, degC, ReadOperating,
                    OnInvalid::Untouched,
                    [](const LaserCache& c, std::size_t i) { return c.qclParams[i].temp; });
}

uint32_t TarvexSDK_GetQCLOperatingMode(uint8_t qcl, uint8_t* mode) {
    return QclValue("TarvexSDK_GetQCLOperatingMode", Traced::No, qcl, mode, ReadOperating,
                    OnInvalid::Zero,
                    [](const LaserCache& c, std::size_t i) { return c.qclParams[i].laserMode; });
}

// --- Readbacks -----------------------------------------------------------------------------------

uint32_t TarvexSDK_GetQCLTemperature(uint8_t qcl, float* degC) {
    return QclValue("TarvexSDK_GetQCLTemperature", Traced::No, qcl, degC, ReadInfo, OnInvalid::Zero,
                    [](const LaserCache& c, std::size_t i) { return c.qclInfo[i].actual_temp; });
}

uint32_t TarvexSDK_GetTecCurrent(uint8_t qcl, uint16_t* mA) {
    return QclValue("TarvexSDK_GetTecCurrent", Traced::No, qcl, mA, ReadInfo, OnInvalid::Zero,
                    [](const LaserCache& c, std::size_t i) {
                        return TruncateToU16(c.qclInfo[i].actual_tec_current);
                    });
}

uint32_t TarvexSDK_GetReadbackParameters(uint8_t qcl, float* current, float* voltage, float* vsrc,
                                         float* vfet) {
    return ReadThenCheck(
        "TarvexSDK_GetReadbackParameters", Traced::No, Present(current, voltage, vsrc, vfet), qcl,
        [](KTarvexController& c) { return c.ReadQclInfoParam() && c.ReadQclInfoParam2(); },
        [&](const LaserCache& c, std::size_t i) {
            *current = c.qclInfo[i].actual_current;
            *voltage = c.qclInfo2[i].qclV;
            *vsrc = c.qclInfo2[i].qclVsrc;
            *vfet = c.qclInfo2[i].qclVfet;
        },
        Untouched);
}

uint32_t TarvexSDK_GetQclSerialNumber(uint8_t qcl, uint8_t* buffer, uint8_t length) {
    Result copied = TarvexSdkResult_Success;
    const Result result = ReadThenCheck(
        "TarvexSDK_GetQclSerialNumber", Traced::No, Present(buffer), qcl, ReadInfo,
        [&](const LaserCache& c, std::size_t i) {
            const AdminQclParams& q = c.adminQcl[i];
            copied = CopyText(FieldText(q.serial_num_length, q.serial_num), buffer, length,
                              TextRule::MayFill);
        },
        Untouched);
    return result == TarvexSdkResult_Success ? copied : result;
}

uint32_t TarvexSDK_GetAllTecParams(uint8_t qcl, float* voltage, float* current, float* resistance) {
    return CheckThenRead(
        "TarvexSDK_GetAllTecParams", Present(voltage, current, resistance), qcl,
        [](KTarvexController& c, std::size_t) { return c.ReadTecMeas(); },
        [&](const LaserCache& c, std::size_t i) {
            *voltage = c.tecMeas[i].voltage;
            *current = c.tecMeas[i].current;
            *resistance = c.tecMeas[i].resistance;
        },
        [&] { *voltage = *current = *resistance = 0; });
}

uint32_t TarvexSDK_GetEncoderCount(uint8_t qcl, uint32_t* count) {
    return CheckThenRead(
        "TarvexSDK_GetEncoderCount", Present(count), qcl,
        [](KTarvexController& c, std::size_t) { return c.ReadEncoder(); },
        [&](const LaserCache& c, std::size_t i) {
            *count = static_cast<std::uint32_t>(c.encoders[i].enc);
        },
        Untouched);
}

uint32_t TarvexSDK_GetMotionCalParameters(uint8_t qcl, float* gratingSpacing,
                                          float* radiansPerCount, float* homeRadians) {
    return CheckThenRead(
        "TarvexSDK_GetMotionCalParameters", Present(gratingSpacing, radiansPerCount, homeRadians),
        qcl,
        [&](KTarvexController& c, std::size_t) { return c.ReadWriteMotionTestParams(false, qcl); },
        [&](const LaserCache& c, std::size_t i) {
            *gratingSpacing = c.motionTest[i].gratingSpacing;
            *radiansPerCount = c.motionTest[i].radiansPerCount;
            *homeRadians = c.motionTest[i].homeRadians;
        },
        Untouched);
}

uint32_t TarvexSDK_GetMoveDuration(uint8_t qcl, uint32_t* duration) {
    return CheckThenRead(
        "TarvexSDK_GetMoveDuration", Present(duration), qcl,
        [](KTarvexController& c, std::size_t index) {
            return c.ReadMoveDuration(static_cast<std::uint8_t>(index));
        },
        [&](const LaserCache& c, std::size_t i) { *duration = c.moveDuration[i].duration; },
        Untouched);
}
