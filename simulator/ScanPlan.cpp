#include "ScanPlan.h"

#include "TuningModel.h"
#include "records/LaserRecords.h"

#include <cmath>

namespace tarvex::sim {

namespace {

using Kind = ScanSegment::Kind;

bool IsUnit(std::uint8_t unit) {
    return unit == units::kMicrons || unit == units::kWavenumber;
}

std::uint32_t MsFromUs(std::uint64_t us) {
    return static_cast<std::uint32_t>((us + 999) / 1000);
}

// Builds one scan's body, refusing what the laser could not do.
class PlanBuilder {
public:
    PlanBuilder(const LaserProfile& profile, const ScanPacing& pacing, std::string& why)
        : profile_(profile), pacing_(pacing), why_(why) {}

    std::nullopt_t Fail(const char* why) {
        why_ = why;
        return std::nullopt;
    }

    // A wavelength in `unit` that some QCL (or the forced one) can reach.
    bool Reachable(float value, std::uint8_t unit, std::uint8_t forcedQcl = 0) {
        const float microns = ToMicrons(value, unit);
        if (!std::isfinite(microns) || microns <= 0.0f)
            why_ = "wavelength is not a positive number";
        else if (forcedQcl != 0 ? !Holds(profile_.qcls[forcedQcl - 1u], microns)
                                : !InTuningRange(profile_, microns))
            why_ = "wavelength outside the tuning range";
        else
            return true;
        return false;
    }

    void Goto(float value, std::uint8_t unit, std::uint8_t qcl, bool force = false) {
        body_.push_back({.kind = Kind::Goto,
                         .to = ToMicrons(value, unit),
                         .unit = units::kMicrons,
                         .qcl = qcl,
                         .forceQcl = force});
    }

    void GateIfTriggered() {
        if (pacing_.processTriggerMode == process_trigger::kExternalStep ||
            pacing_.processTriggerMode == process_trigger::kManual)
            body_.push_back({.kind = Kind::Gate});
    }

    void Dwell(std::uint64_t us) {
        const std::uint32_t ms = us == 0 ? kDefaultDwellMs : MsFromUs(us);
        body_.push_back({.kind = Kind::Dwell, .durationMs = ms, .countsToward = true});
    }

    // One pass from `from` to `to`, and back again when bidirectional.
    void Sweep(float from, float to, std::uint8_t unit, float speed, std::uint8_t qcl, bool force,
               bool bidirectional) {
        Goto(from, unit, qcl, force);
        GateIfTriggered();
        const ScanSegment pass{.kind = Kind::Sweep,
                               .from = from,
                               .to = to,
                               .unit = unit,
                               .speed = speed,
                               .qcl = qcl,
                               .forceQcl = force,
                               .countsToward = true};
        body_.push_back(pass);
        if (bidirectional) {
            ScanSegment back = pass;
            std::swap(back.from, back.to);
            body_.push_back(back);
        }
    }

    void Hold() { body_.push_back({.kind = Kind::Hold}); }

    std::optional<ScanPlan> Finish(std::uint16_t numScans) {
        return ScanPlan{.body = std::move(body_), .numScans = numScans};
    }

    std::size_t Installed() const { return profile_.qcls.size(); }

private:
    const LaserProfile& profile_;
    const ScanPacing& pacing_;
    std::string& why_;
    std::vector<ScanSegment> body_;
};

std::optional<ScanPlan> SingleTune(const SingleWWParams& r, PlanBuilder& b) {
    if (!IsUnit(r.scan_ww_unit))
        return b.Fail("unknown unit");
    if (!b.Reachable(r.scan_ww, r.scan_ww_unit))
        return std::nullopt;
    b.Goto(r.scan_ww, r.scan_ww_unit, r.qcl);
    b.Hold();
    return b.Finish(1);
}

std::optional<ScanPlan> Sweep(const SweepModeParams& r, PlanBuilder& b) {
    const std::uint8_t unit = r.scan_speed_unit;
    if (!IsUnit(unit) || r.scan_start_unit != unit || r.scan_stop_unit != unit)
        return b.Fail("unknown or mixed units");
    if (!(r.scan_speed > 0.0f) || !std::isfinite(r.scan_speed))
        return b.Fail("scan speed is not positive");
    if (!b.Reachable(r.scan_start_ww, unit) || !b.Reachable(r.scan_stop_ww, unit))
        return std::nullopt;
    b.Sweep(r.scan_start_ww, r.scan_stop_ww, unit, r.scan_speed, r.qcl, false,
            r.bidirectional != 0);
    return b.Finish(r.num_scans);
}

std::optional<ScanPlan> StepMeasure(const StepMeasureParams& r, const ScanPacing& pacing,
                                    PlanBuilder& b) {
    const std::uint8_t unit = r.step_size_unit;
    if (!IsUnit(unit) || r.scan_start_unit != unit || r.scan_stop_unit != unit)
        return b.Fail("unknown or mixed units");
    const float step = std::fabs(r.step_size);
    if (!(step > 0.0f) || !std::isfinite(step))
        return b.Fail("step size is not positive");
    if (!b.Reachable(r.scan_start, unit) || !b.Reachable(r.scan_stop, unit))
        return std::nullopt;
    const float span = r.scan_stop - r.scan_start;
    const double steps = std::floor(std::fabs(span) / step + 1e-4);
    if (steps + 2 > static_cast<double>(kMaxScanPoints))
        return b.Fail("too many steps");
    const float direction = span < 0.0f ? -1.0f : 1.0f;
    const auto point = [&](float value) {
        b.Goto(value, unit, 0);
        b.GateIfTriggered();
        b.Dwell(std::uint64_t{pacing.dwellUs} + pacing.offUs);
    };
    const auto count = static_cast<std::size_t>(steps);
    for (std::size_t i = 0; i <= count; ++i)
        point(r.scan_start + direction * step * static_cast<float>(i));
    // A span that is no multiple of the step ends with a shorter step onto stop.
    const float last = r.scan_start + direction * step * static_cast<float>(count);
    if (std::fabs(r.scan_stop - last) > step * 1e-3f)
        point(r.scan_stop);
    return b.Finish(r.num_scans);
}

std::optional<ScanPlan> MultiSpectral(const MultiSpectralParams& r, PlanBuilder& b) {
    if (r.num_ww == 0 || r.num_ww > MultiSpectralParams::kMaxElements)
        return b.Fail("element count not within 1 to 20");
    if (!IsUnit(r.scan_ww_unit))
        return b.Fail("unknown unit");
    for (std::size_t i = 0; i < r.num_ww; ++i)
        if (!b.Reachable(r.elements[i].scan_ww, r.scan_ww_unit))
            return std::nullopt;
    for (std::size_t i = 0; i < r.num_ww; ++i) {
        const auto& e = r.elements[i];
        b.Goto(e.scan_ww, r.scan_ww_unit, 0);
        b.GateIfTriggered();
        b.Dwell(std::uint64_t{e.dwell_time} + e.after_off_time);
    }
    return b.Finish(r.num_scans);
}

// Each channel in use sweeps its own range on its own QCL; with none in use the overall
// start and stop are swept like a plain sweep.
std::optional<ScanPlan> AdvancedSweep(const SweepAdvancedParams& r, PlanBuilder& b) {
    if (!IsUnit(r.units))
        return b.Fail("unknown unit");
    if (!(r.speed > 0.0f) || !std::isfinite(r.speed))
        return b.Fail("scan speed is not positive");
    bool anyUsed = false;
    for (std::size_t ch = 0; ch < r.used.size(); ++ch) {
        if (!r.used[ch])
            continue;
        anyUsed = true;
        if (ch >= b.Installed())
            return b.Fail("channel has no QCL");
        const auto qcl = static_cast<std::uint8_t>(ch + 1);
        if (!b.Reachable(r.channelStart[ch], r.units, qcl) ||
            !b.Reachable(r.channelStop[ch], r.units, qcl))
            return std::nullopt;
        b.Sweep(r.channelStart[ch], r.channelStop[ch], r.units, r.speed, qcl, true, r.bidir != 0);
    }
    if (!anyUsed) {
        if (!b.Reachable(r.start, r.units) || !b.Reachable(r.stop, r.units))
            return std::nullopt;
        b.Sweep(r.start, r.stop, r.units, r.speed, 0, false, r.bidir != 0);
    }
    return b.Finish(r.numScans);
}

} // namespace

std::optional<ScanPlan> BuildScanPlan(const ScanSimState& scan, const LaserProfile& profile,
                                      const ScanPacing& pacing, std::string& why) {
    PlanBuilder builder(profile, pacing, why);
    switch (scan.scanMode) {
    case scan_mode::kSingleTune:
        return SingleTune(scan.singleWW, builder);
    case scan_mode::kSweep:
        return Sweep(scan.sweep, builder);
    case scan_mode::kStepMeasure:
        return StepMeasure(scan.stepMeasure, pacing, builder);
    case scan_mode::kMultiSpectral:
        return MultiSpectral(scan.multiSpectral, builder);
    case scan_mode::kAdvancedSweep:
        return AdvancedSweep(scan.sweepAdvanced, builder);
    default:
        why = "unknown scan mode";
        return std::nullopt;
    }
}

} // namespace tarvex::sim
