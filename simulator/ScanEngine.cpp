#include "ScanEngine.h"

#include "ScanPlan.h"
#include "TuningModel.h"

#include <algorithm>
#include <cmath>

namespace tarvex::sim {

namespace {

using Kind = ScanSegment::Kind;

bool IsTune(const ScanPlan& plan) {
    return !plan.body.empty() && plan.body.back().kind == Kind::Hold;
}

const ScanSegment& Current(const ScanSimState& scan) {
    return scan.plan.body[scan.segment];
}

// Moves the laser onto another QCL; its galvo flips the beam over when enabled.
void SwitchQcl(SimState& state, std::uint8_t qcl) {
    if (qcl == 0 || qcl == state.curQcl)
        return;
    if (state.curQcl != 0 && state.diagnostics.galvoLaser.en)
        ++state.diagnostics.galvoLaser.flips;
    state.curQcl = qcl;
    state.lightValid = true;
}

void SetWavelength(SimState& state, float microns) {
    state.wavelengthMicrons = microns;
    if (state.curQcl != 0)
        state.scan.gratingMicrons[state.curQcl - 1u] = microns;
}

class Run {
public:
    Run(SimState& state, const LaserProfile& profile)
        : state_(state), scan_(state.scan), profile_(profile) {}

    std::uint8_t QclFor(const ScanSegment& segment, float microns) const {
        if (segment.forceQcl)
            return segment.qcl;
        return ChooseQcl(profile_, microns, segment.qcl, state_.curQcl,
                         state_.saved.globalPrefs.always_use_crossover != 0);
    }

    void Enter() {
        scan_.segmentElapsedMs = 0;
        scan_.settleRemainingMs = 0;
        scan_.moveDurationMs = 0;
        const ScanSegment& segment = Current(scan_);
        if (segment.kind == Kind::Goto) {
            const std::uint8_t qcl = QclFor(segment, segment.to);
            if (qcl != 0 && qcl != state_.curQcl) {
                SwitchQcl(state_, qcl);
                scan_.settleRemainingMs = kTecSettleMs;
                SetWavelength(state_, scan_.gratingMicrons[qcl - 1u]);
            }
            scan_.moveFrom = state_.wavelengthMicrons;
            scan_.moveDurationMs = MoveDurationMs(scan_.moveFrom, segment.to);
            if (state_.curQcl != 0)
                scan_.lastMoveMs[state_.curQcl - 1u] = scan_.moveDurationMs;
        } else if (segment.kind == Kind::Sweep) {
            const double seconds = std::fabs(double{segment.to} - segment.from) / segment.speed;
            scan_.moveDurationMs =
                std::max<std::uint32_t>(1, BoundedMs(std::round(seconds * 1000.0)));
        } else if (segment.kind == Kind::Dwell) {
            scan_.moveDurationMs = std::max<std::uint32_t>(1, segment.durationMs);
        }
    }

    // Moves to the next segment, the next scan or the end of the run.
    void Next() {
        if (++scan_.segment < scan_.plan.body.size()) {
            Enter();
            return;
        }
        if (scan_.plan.numScans != 0 && scan_.scanNumber >= scan_.plan.numScans) {
            scan_.running = false;
            scan_.paused = false;
            scan_.percent = 100;
            return;
        }
        ++scan_.scanNumber;
        scan_.segment = 0;
        Enter();
    }

    // Spends up to `budget` ms in the current segment; returns what it used.
    std::uint64_t Spend(std::uint64_t budget) {
        const ScanSegment& segment = Current(scan_);
        if (segment.kind == Kind::Gate || segment.kind == Kind::Hold)
            return budget;
        std::uint64_t used = 0;
        if (segment.kind == Kind::Goto) {
            used = std::min<std::uint64_t>(budget, scan_.settleRemainingMs);
            scan_.settleRemainingMs -= static_cast<std::uint32_t>(used);
            if (scan_.settleRemainingMs > 0)
                return budget;
        }
        const std::uint64_t left = scan_.moveDurationMs - scan_.segmentElapsedMs;
        const std::uint64_t step = std::min(budget - used, left);
        scan_.segmentElapsedMs += step;
        Move(segment);
        if (scan_.segmentElapsedMs >= scan_.moveDurationMs)
            Next();
        return used + step;
    }

    // Also passes the segments that take no time (a move onto where the grating already is)
    // when `dtMs` is 0. Every scan body holds a segment that takes time, so this ends.
    void Advance(std::uint64_t dtMs) {
        while (scan_.running && !scan_.paused) {
            const std::size_t segment = scan_.segment;
            const std::uint16_t number = scan_.scanNumber;
            dtMs -= Spend(dtMs);
            const bool moved = segment != scan_.segment || number != scan_.scanNumber;
            if (dtMs == 0 && !moved)
                break;
        }
        UpdatePercent();
    }

    void UpdatePercent() {
        if (!scan_.running)
            return;
        const auto& body = scan_.plan.body;
        const ScanSegment& segment = Current(scan_);
        if (segment.kind == Kind::Hold) {
            scan_.percent = 100;
            return;
        }
        const auto total = std::count_if(body.begin(), body.end(),
                                         [](const ScanSegment& s) { return s.countsToward; });
        if (total == 0) {
            scan_.percent = static_cast<std::uint16_t>(100 * Fraction());
            return;
        }
        const auto done =
            std::count_if(body.begin(), body.begin() + static_cast<long>(scan_.segment),
                          [](const ScanSegment& s) { return s.countsToward; });
        const double current = segment.countsToward ? Fraction() : 0.0;
        scan_.percent = static_cast<std::uint16_t>(std::min(
            100.0, 100.0 * (static_cast<double>(done) + current) / static_cast<double>(total)));
    }

private:
    double Fraction() const {
        return scan_.moveDurationMs == 0 ? 1.0
                                         : static_cast<double>(scan_.segmentElapsedMs) /
                                               static_cast<double>(scan_.moveDurationMs);
    }

    // Places the wavelength where the segment has got to.
    void Move(const ScanSegment& segment) {
        const auto t = static_cast<float>(Fraction());
        if (segment.kind == Kind::Goto) {
            SetWavelength(state_, scan_.moveFrom + (segment.to - scan_.moveFrom) * t);
        } else if (segment.kind == Kind::Sweep) {
            const float microns =
                ToMicrons(segment.from + (segment.to - segment.from) * t, segment.unit);
            SwitchQcl(state_, QclFor(segment, microns));
            SetWavelength(state_, microns);
        }
    }

    SimState& state_;
    ScanSimState& scan_;
    const LaserProfile& profile_;
};

} // namespace

bool StartScanRun(SimState& state, const LaserProfile& profile, std::string& why) {
    const ScanPacing pacing{.processTriggerMode = state.laserParams.process_trigger_mode,
                            .dwellUs = state.laserParams.dwell_time,
                            .offUs = state.laserParams.off_time};
    auto plan = BuildScanPlan(state.scan, profile, pacing, why);
    if (!plan)
        return false;
    ScanSimState& scan = state.scan;
    scan.plan = std::move(*plan);
    scan.running = true;
    scan.paused = false;
    scan.segment = 0;
    scan.scanNumber = IsTune(scan.plan) ? 0 : 1;
    scan.percent = 0;
    Run run(state, profile);
    run.Enter();
    run.Advance(0);
    return true;
}

void StopScanRun(ScanSimState& scan) {
    scan.running = false;
    scan.paused = false;
}

bool PauseScanRun(ScanSimState& scan) {
    if (!scan.running || scan.paused)
        return false;
    scan.paused = true;
    return true;
}

bool ResumeScanRun(ScanSimState& scan) {
    if (!scan.running || !scan.paused)
        return false;
    scan.paused = false;
    return true;
}

void StepScanRun(SimState& state, const LaserProfile& profile) {
    ScanSimState& scan = state.scan;
    if (!scan.running)
        return;
    const Kind kind = Current(scan).kind;
    if (kind != Kind::Gate && kind != Kind::Dwell)
        return;
    Run run(state, profile);
    run.Next();
    run.Advance(0);
}

void AdvanceScanRun(SimState& state, const LaserProfile& profile, std::uint64_t dtMs) {
    if (state.scan.running)
        Run(state, profile).Advance(dtMs);
}

std::uint8_t ScanProgressBits(const ScanSimState& scan) {
    if (!scan.running)
        return 0;
    std::uint8_t bits = 0;
    switch (Current(scan).kind) {
    case Kind::Goto:
        bits = progress::kAdjustingWavelength;
        if (scan.settleRemainingMs > 0)
            bits |= progress::kAdjustingTemperature;
        break;
    case Kind::Gate:
        bits = progress::kScanActive | progress::kWaitingForTrigger;
        break;
    default:
        bits = progress::kScanActive;
        break;
    }
    // A paused scan is not active: bit 4 cancels bit 3.
    if (scan.paused)
        bits |= progress::kCancelsScanActive;
    return bits;
}

std::uint32_t ScanStatusMaskBits(const ScanSimState& scan) {
    std::uint32_t bits = 0;
    if (scan.running)
        bits |= status::kScanInProgress;
    if (scan.running && scan.paused)
        bits |= status::kBit7;
    return bits;
}

} // namespace tarvex::sim
