#include "SimHandlerSupport.h"

#include <algorithm>
#include <cmath>

namespace tarvex::sim {

namespace {

// How the simulated hardware moves.
constexpr std::uint64_t kArmDelayMs = 1500;   // drivers powering up
constexpr std::uint64_t kDisarmDelayMs = 300; // drivers ramping down
constexpr float kTecSlewPerSecond = 1.0f;     // °C
constexpr float kTecHoldingCurrent = 0.35f;   // A, holding a module at its set point
constexpr float kTecCurrentPerDegree = 0.6f;  // A per °C still to go
constexpr float kTecMaxCurrent = 2.5f;        // A
constexpr float kBoardSlewPerSecond = 0.5f;   // °C
constexpr float kCaseTempWarm = 2.5f;         // °C the case warms while emitting
constexpr float kWarningExcess = 18.0f;       // °C above normal that a warning reports

constexpr std::uint8_t kArm = 1, kDisarm = 0;
constexpr std::uint8_t kQclDriverOn = 1, kQclDriverOff = 2;

bool IsCwMode(std::uint8_t mode) {
    return mode >= laser_mode::kCw && mode <= 9;
}

double ToHz(float value, std::uint8_t unit) {
    return value * (unit == units::kMHz ? 1e6 : unit == units::kKHz ? 1e3 : 1.0);
}

double ToNs(float value, std::uint8_t unit) {
    return value * (unit == units::kMs ? 1e6 : unit == units::kUs ? 1e3 : 1.0);
}

bool Within(double value, double low, double high) {
    return value >= low && value <= high;
}

// Moves `value` toward `target` by at most `step`.
float Approach(float value, float target, float step) {
    if (std::fabs(target - value) <= step)
        return target;
    return value + (target > value ? step : -step);
}

// Whether a module can run the drive parameters written for it.
bool Acceptable(const LaserQclParams& p, const QclProfile& q) {
    if (p.pulse_rate_unit < units::kHz || p.pulse_rate_unit > units::kMHz ||
        p.pulse_width_unit < units::kMs || p.pulse_width_unit > units::kNs)
        return false;
    if (p.laserMode < laser_mode::kPulsed || p.laserMode > 9)
        return false;
    const bool cw = IsCwMode(p.laserMode);
    if (cw && !q.cwCapable)
        return false;
    if ((p.laserMode == 8 || p.laserMode == 9) &&
        std::find(q.filters.begin(), q.filters.end(), p.laserMode) == q.filters.end())
        return false;
    if (!Within(p.temp, q.minDriveTemp, q.maxDriveTemp))
        return false;
    if (cw)
        return Within(p.current, q.minDriveCwCurrent, q.maxDriveCwCurrent);
    const double rateHz = ToHz(p.pulse_rate, p.pulse_rate_unit);
    const double widthNs = ToNs(p.pulse_width, p.pulse_width_unit);
    const double dutyPercent = rateHz * widthNs * 1e-9 * 100.0;
    return Within(p.current, q.minDriveCurrent, q.maxDriveCurrent) &&
           Within(rateHz, ToHz(q.minPulseRate, q.pulseRateUnit),
                  ToHz(q.maxPulseRate, q.pulseRateUnit)) &&
           Within(widthNs, ToNs(q.minPulseWidth, q.pulseWidthUnit),
                  ToNs(q.maxPulseWidth, q.pulseWidthUnit)) &&
           dutyPercent <= q.maxDutyCycle;
}

bool AcceptableLaserParams(const LaserParams& p) {
    return p.laser_mode >= laser_mode::kPulsed && p.laser_mode <= 9 &&
           p.pulse_mode >= pulse_mode::kInternal &&
           p.pulse_mode <= pulse_mode::kWavelengthTrigger &&
           (p.units == units::kMicrons || p.units == units::kWavenumber) &&
           p.process_trigger_mode >= process_trigger::kInternal &&
           p.process_trigger_mode <= process_trigger::kManual;
}

// Drive parameters a module starts with: 100 kHz pulses of 100 ns at half its highest current,
// each kept inside the module's limits.
LaserQclParams PowerUpParams(const QclProfile& q, std::uint8_t slot) {
    LaserQclParams p;
    p.slot = slot;
    p.pulse_rate_unit = q.pulseRateUnit;
    p.pulse_rate = std::clamp(static_cast<float>(1e5 / ToHz(1.0f, q.pulseRateUnit)), q.minPulseRate,
                              q.maxPulseRate);
    p.pulse_width_unit = q.pulseWidthUnit;
    p.pulse_width = std::clamp(static_cast<float>(100.0 / ToNs(1.0f, q.pulseWidthUnit)),
                               q.minPulseWidth, q.maxPulseWidth);
    const bool cw = IsCwMode(q.laserMode);
    p.current = 0.5f * (cw ? q.maxDriveCwCurrent : q.maxDriveCurrent);
    p.temp = q.setPointTemp;
    p.laserMode = q.laserMode;
    return p;
}

} // namespace

void SimLaser::InitializeState() {
    state_.hours = profile_.hours;
    state_.laserParams =
        LaserParams{laser_mode::kPulsed, pulse_mode::kInternal,      0.0f,    0.0f, 0.0f,
                    units::kMicrons,     process_trigger::kInternal, 1000000, 0};
    state_.displayUnits = WwDisplayUnits{units::kMicrons, units::kHz};
    for (std::size_t i = 0; i < profile_.qcls.size() && i < state_.qcl.size(); ++i) {
        const QclProfile& q = profile_.qcls[i];
        const auto slot = static_cast<std::uint8_t>(i + 1);
        SimQcl& qcl = state_.qcl[i];
        qcl.params = PowerUpParams(q, slot);
        qcl.vsrc = LaserQclVsrc{slot, q.vsrc, q.maxVsrcPulsed, q.maxVsrcCw};
        // The laser has been on a while when a host connects: its TECs have settled.
        qcl.tecTemp = q.setPointTemp;
        qcl.tecCurrent = kTecHoldingCurrent;
    }
    AdvanceLaser(0);
}

void SimLaser::RegisterLaserHandlers() {
    handlers_[LaserParams::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        if (request.disposition == kWrite) {
            const auto written = RequestRecord<LaserParams>(request);
            if (!AcceptableLaserParams(written))
                return Refuse(reply);
            state_.laserParams = written;
        } else if (request.disposition != kRead) {
            return Refuse(reply);
        }
        Answer(reply, state_.laserParams);
    };

    handlers_[LaserQclParams::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        const auto record = RequestRecord<LaserQclParams>(request);
        if (!IsInstalled(profile_, record.slot) || request.disposition == kExecute)
            return Refuse(reply);
        SimQcl& qcl = state_.qcl[record.slot - 1];
        if (request.disposition == kWrite) {
            if (!Acceptable(record, profile_.qcls[record.slot - 1]))
                return Refuse(reply);
            qcl.params = record;
        }
        Answer(reply, qcl.params);
    };

    handlers_[LaserQclVsrc::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        const auto record = RequestRecord<LaserQclVsrc>(request);
        if (!IsInstalled(profile_, record.slot) || request.disposition == kExecute)
            return Refuse(reply);
        SimQcl& qcl = state_.qcl[record.slot - 1];
        if (request.disposition == kWrite) {
            const float limit =
                IsCwMode(qcl.params.laserMode) ? qcl.vsrc.maxCw : qcl.vsrc.maxPulsed;
            if (!Within(record.vsrc, 0.0, limit))
                return Refuse(reply);
            qcl.vsrc.vsrc = record.vsrc;
        }
        Answer(reply, qcl.vsrc);
    };

    handlers_[LaserOnOff::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        if (request.disposition == kExecute) {
            const auto record = RequestRecord<LaserOnOff>(request);
            if (record.on_off > 1 || record.slot > 4)
                return Refuse(reply);
            // Light comes only from an armed laser; the command is taken either way.
            state_.emission = record.on_off == 1 && state_.armed && !state_.disarming;
            state_.laserOnOff.slot = record.slot;
        } else if (request.disposition != kRead) {
            return Refuse(reply);
        }
        state_.laserOnOff.on_off = state_.emission ? 1 : 0;
        Answer(reply, state_.laserOnOff);
    };

    handlers_[kArmDisarmCmd] = [this](const SimRequest& request, SimReply& reply) {
        const std::uint8_t command = request.payload.empty() ? 0xFF : request.payload[0];
        if (request.disposition != kExecute || (command != kArm && command != kDisarm))
            return Refuse(reply);
        const std::uint64_t now = state_.nowMs;
        if (command == kArm) {
            const bool allowed =
                state_.interlockClosed && state_.keySwitchOn && !state_.poweredDown;
            if (allowed && !state_.armed && !state_.arming) {
                state_.arming = true;
                state_.armReadyAtMs = now + kArmDelayMs;
            }
            if (allowed)
                state_.disarming = false;
            reply.payload[0] = allowed ? kArm : kDisarm;
            return;
        }
        state_.emission = false;
        state_.arming = false;
        if (state_.armed && !state_.disarming) {
            state_.disarming = true;
            state_.disarmDoneAtMs = now + kDisarmDelayMs;
        }
        reply.payload[0] = kDisarm;
    };

    handlers_[WwDisplayUnits::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        if (request.disposition == kWrite) {
            const auto written = RequestRecord<WwDisplayUnits>(request);
            if (written.ww < units::kMicrons || written.ww > units::kWavenumber ||
                written.pulse_rate < units::kHz || written.pulse_rate > units::kMHz)
                return Refuse(reply);
            state_.displayUnits = written;
        } else if (request.disposition != kRead) {
            return Refuse(reply);
        }
        Answer(reply, state_.displayUnits);
    };

    handlers_[LaserShutdown::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        if (request.disposition != kExecute)
            return Refuse(reply);
        state_.lastShutdown = RequestRecord<LaserShutdown>(request);
        if (state_.lastShutdown.first == 1 && state_.lastShutdown.last == 1) {
            // Power off: the drivers go down at once and stay down.
            state_.poweredDown = true;
            state_.armed = state_.arming = state_.disarming = state_.emission = false;
        }
    };

    handlers_[QclOnOff::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        const auto record = RequestRecord<QclOnOff>(request);
        if (request.disposition != kExecute || !IsInstalled(profile_, record.slot) ||
            (record.cmd != kQclDriverOn && record.cmd != kQclDriverOff))
            return Refuse(reply);
        state_.qcl[record.slot - 1].driverOn = record.cmd == kQclDriverOn;
        Answer(reply, record);
    };

    // Readbacks and the status follow these commands at once, not only at the next step.
    for (const std::uint16_t cmd : {LaserQclParams::kCmd, LaserQclVsrc::kCmd, LaserOnOff::kCmd,
                                    kArmDisarmCmd, LaserShutdown::kCmd, QclOnOff::kCmd}) {
        handlers_[cmd] = [this, handler = std::move(handlers_[cmd])](const SimRequest& request,
                                                                     SimReply& reply) {
            handler(request, reply);
            AdvanceLaser(0);
        };
    }
}

void SimLaser::AdvanceLaser(std::uint64_t dtMs) {
    SimState& s = state_;
    const float seconds = static_cast<float>(dtMs) / 1000.0f;
    s.hours += static_cast<double>(dtMs) / 3.6e6;

    // Arming and disarming complete after their delays; an opened interlock or a turned key
    // drops the drivers at once.
    if (s.arming && s.nowMs >= s.armReadyAtMs) {
        s.arming = false;
        s.armed = true;
    }
    if (s.disarming && s.nowMs >= s.disarmDoneAtMs) {
        s.disarming = false;
        s.armed = false;
    }
    if (!s.interlockClosed || !s.keySwitchOn)
        s.armed = s.arming = s.disarming = false;
    if (!s.armed)
        s.emission = false;

    // TECs slew toward their set points.
    bool settled = true;
    const std::size_t installed = std::min(profile_.qcls.size(), s.qcl.size());
    const std::uint8_t lasing = s.curQcl != 0 ? s.curQcl : std::uint8_t{1};
    for (std::size_t i = 0; i < installed; ++i) {
        SimQcl& q = s.qcl[i];
        q.tecTemp = Approach(q.tecTemp, q.params.temp, kTecSlewPerSecond * seconds);
        const float remaining = std::fabs(q.params.temp - q.tecTemp);
        settled = settled && remaining <= kTecSettledBand;
        q.tecCurrent =
            std::min(kTecMaxCurrent, kTecHoldingCurrent + kTecCurrentPerDegree * remaining);

        const bool emitting = s.emission && q.driverOn && i + 1 == lasing;
        q.qclCurrent = emitting ? q.params.current : 0.0f;
        q.qclVoltage = emitting ? 9.0f + 3.0f * q.params.current / 1000.0f : 0.0f;
        const float source = s.armed ? q.vsrc.vsrc : 0.0f;
        q.fetVoltage = std::max(0.0f, source - q.qclVoltage);
    }
    s.tecsAtTemperature = settled;

    // The case warms while the laser emits; a warning stands for a case far too warm.
    const float warm = s.emission ? kCaseTempWarm : 0.0f;
    const float boardStep = kBoardSlewPerSecond * seconds;
    s.caseTemp1 =
        Approach(s.caseTemp1, 27.5f + warm + (s.caseTemp1Warning ? kWarningExcess : 0), boardStep);
    s.caseTemp2 =
        Approach(s.caseTemp2, 28.0f + warm + (s.caseTemp2Warning ? kWarningExcess : 0), boardStep);
    s.pcbTemp =
        Approach(s.pcbTemp, 34.0f + warm + (s.pcbTempWarning ? kWarningExcess : 0), boardStep);
    float tecLoad = 0.0f;
    for (std::size_t i = 0; i < installed; ++i)
        tecLoad += s.qcl[i].tecCurrent;
    s.boardTemps.BTemp1 = s.caseTemp1;
    s.boardTemps.BTemp2 = s.caseTemp2;
    s.boardTemps.PcbTemp = s.pcbTemp;
    s.boardTemps.AuxTemp = {22.0f, 24.0f + tecLoad, 0.0f, 0.0f}; // ambient, TEC heat sink
}

} // namespace tarvex::sim
