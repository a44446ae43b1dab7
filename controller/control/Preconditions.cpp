#include "control/Preconditions.h"

#include "control/MultiSpectralList.h"

namespace tarvex::control {

namespace {

bool IsWavelengthUnit(std::uint8_t unit) {
    return unit == units::kMicrons || unit == units::kWavenumber;
}

} // namespace

bool IsCwMode(std::uint8_t laserMode) {
    return laserMode >= 2 && laserMode <= 10;
}

bool IsTuned(KTarvexController& controller) {
    controller.ReadScanProgress();
    controller.ReadStatusMask();
    const ScanStatus s = controller.GetScanStatus();
    const bool singleTune = controller.ReadCache([](const LaserCache& c) { return c.scanMode; }) ==
                            scan_mode::kSingleTune;
    return !s.adjustingWavelength && (singleTune || s.scanActive);
}

Preconditions::Preconditions(KTarvexController& controller, StepHook hook)
    : controller_(controller), hook_(std::move(hook)) {}

// --- Single checks ---------------------------------------------------------------------------

Refusal Preconditions::TecsAtTemperature() {
    Note(Step::TecsAtTemperature);
    return ReadStatus() && Bit(status::kTecsAtTemperature) ? Refusal::None
                                                           : Refusal::TecsNotAtTemperature;
}

Refusal Preconditions::Armed() {
    Note(Step::Armed);
    return ReadStatus() && Bit(status::kArmed) ? Refusal::None : Refusal::LaserNotArmed;
}

Refusal Preconditions::Tuned() {
    Note(Step::Tuned);
    return IsTuned(controller_) ? Refusal::None : Refusal::LaserNotTuned;
}

Refusal Preconditions::InTuningRange(float ww, std::uint8_t unit) {
    if (!IsWavelengthUnit(unit))
        return Refusal::UnknownWavelengthUnit;
    Note(Step::TuningRange);
    if (!controller_.ReadWriteAdminQclParams(false))
        return Refusal::ReadFailed;
    TuningRange range = controller_.OverallTuningRange();
    // A laser without an available module has no range, not the range 0 to 0.
    if (range.Empty())
        return Refusal::WavelengthOutOfRange;
    if (range.unit != unit) {
        Note(Step::ConvertWavelength);
        Note(Step::ConvertWavelength);
        range = range.In(unit);
    }
    return range.Contains(ww) ? Refusal::None : Refusal::WavelengthOutOfRange;
}

Refusal Preconditions::QclNumber(std::uint8_t qcl, bool zeroAllowed) const {
    if (qcl == 0)
        return zeroAllowed ? Refusal::None : Refusal::InvalidQclNumber;
    return qcl <= controller_.InstalledQcls() ? Refusal::None : Refusal::InvalidQclNumber;
}

// --- Operations ------------------------------------------------------------------------------

namespace {

// The first refusal of a chain of checks, each run only when those before it passed.
template <typename... Checks> Refusal FirstOf(Checks&&... checks) {
    Refusal refusal = Refusal::None;
    static_cast<void>((((refusal = checks()) != Refusal::None) || ...));
    return refusal;
}

} // namespace

Refusal Preconditions::ForTune(float ww, std::uint8_t unit, std::uint8_t qcl) {
    return FirstOf([&] { return QclNumber(qcl, true); }, [&] { return TecsAtTemperature(); },
                   [&] { return InTuningRange(ww, unit); }, [&] { return Armed(); });
}

Refusal Preconditions::ForSweep(float start, float stop, std::uint8_t unit, std::uint8_t qcl) {
    return FirstOf([&] { return QclNumber(qcl, true); }, [&] { return TecsAtTemperature(); },
                   [&] { return InTuningRange(start, unit); },
                   [&] { return InTuningRange(stop, unit); }, [&] { return Armed(); });
}

Refusal Preconditions::ForStepMeasure(float start, float stop, std::uint8_t unit) {
    return FirstOf([&] { return TecsAtTemperature(); }, [&] { return InTuningRange(start, unit); },
                   [&] { return InTuningRange(stop, unit); }, [&] { return Armed(); });
}

Refusal Preconditions::ForMultiSpectral(const MultiSpectralList& list) {
    return FirstOf([&] { return TecsAtTemperature(); }, [&] { return list.Complete(); },
                   [&] { return Armed(); });
}

Refusal Preconditions::ForArm() {
    if (!ReadStatus())
        return Refusal::ReadFailed;
    if (Bit(status::kArmed))
        return Refusal::AlreadyArmed;
    if (!Bit(status::kInterlock) || !Bit(status::kKeySwitch))
        return Refusal::InterlockOrKeySwitchOpen;
    return Refusal::None;
}

Refusal Preconditions::ForDisarm() {
    if (!ReadStatus())
        return Refusal::ReadFailed;
    return Bit(status::kArmed) ? Refusal::None : Refusal::AlreadyDisarmed;
}

Refusal Preconditions::ForToggleArm(bool& arm) {
    if (!ReadStatus())
        return Refusal::ReadFailed;
    arm = !Bit(status::kArmed);
    if (arm && (!Bit(status::kInterlock) || !Bit(status::kKeySwitch)))
        return Refusal::InterlockOrKeySwitchOpen;
    return Refusal::None;
}

Refusal Preconditions::ForEmissionOn() {
    if (!ReadStatus())
        return Refusal::ReadFailed;
    return FirstOf(
        [&] { return Armed(); }, [&] { return Tuned(); },
        [&] { return Bit(status::kEmissionOn) ? Refusal::EmissionAlreadyOn : Refusal::None; });
}

Refusal Preconditions::ForEmissionOff() {
    if (!ReadStatus())
        return Refusal::ReadFailed;
    return Bit(status::kEmissionOn) ? Refusal::None : Refusal::EmissionNotOn;
}

Refusal Preconditions::ForRunControl() {
    if (!ReadStatus())
        return Refusal::ReadFailed;
    return Bit(status::kScanInProgress) ? Refusal::None : Refusal::NoScanInProgress;
}

Refusal Preconditions::ForConfigTransfer() {
    if (!ReadStatus())
        return Refusal::ReadFailed;
    return Bit(status::kArmed) ? Refusal::LaserArmed : Refusal::None;
}

} // namespace tarvex::control
