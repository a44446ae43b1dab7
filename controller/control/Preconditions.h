#pragma once

// The precondition checks of the laser's control operations, shared by every front end that
// changes the laser's state (the SDK's control exports, the command-line tool), so that each
// refuses exactly the same operations for the same reasons, with the reason, before anything is
// sent. Each check reads what it decides from afresh; none sends a command that changes the
// laser. The operations' own command sequences are the controller's (TuneToWW, StartSweepScan,
// ExecLaserArmDisarm, ...), run once the check for the operation has answered Refusal::None.

#include "KTarvexController.h"
#include "control/Refusal.h"

#include <cstdint>
#include <functional>

namespace tarvex::control {

class MultiSpectralList;

// The question a check is about to ask the laser. The SDK traces, for each, the name of its own
// query export that answers the same question.
enum class Step : std::uint8_t {
    TecsAtTemperature,
    TuningRange,
    ConvertWavelength, // once for each end of the range converted into the caller's unit
    Armed,
    Tuned,
};
using StepHook = std::function<void(Step)>;

// Laser-mode codes: 1 pulsed, 2 to 10 the continuous-wave modes.
bool IsCwMode(std::uint8_t laserMode);

// Whether the laser has reached the wavelength of the last tune, or a scan is running through
// its wavelengths: the wavelength is not being adjusted, and the scan mode is the single tune or
// the scan is active. Decided from fresh progress and status reads, or from the last values read
// when those fail.
bool IsTuned(KTarvexController& controller);

class Preconditions {
public:
    explicit Preconditions(KTarvexController& controller, StepHook hook = {});

    // --- The checks one by one -------------------------------------------------------------
    // A failed status read counts as TECs not at temperature, and as not armed.
    Refusal TecsAtTemperature();
    Refusal Armed();
    Refusal Tuned();
    // `ww` in `unit` (1 microns, 2 cm-1) within the laser's overall tuning range, converted into
    // that unit (both ends included). ReadFailed when the range cannot be read.
    Refusal InTuningRange(float ww, std::uint8_t unit);
    // A QCL installed in the laser (1 to its count, as its identity read reported); 0, meaning
    // "no preference", where `zeroAllowed`. Sends nothing.
    Refusal QclNumber(std::uint8_t qcl, bool zeroAllowed = false) const;

    // --- The checks of each operation, in the order it runs them ---------------------------
    // The QCL number (0: any) comes first, then TECs, range, armed.
    Refusal ForTune(float ww, std::uint8_t unit, std::uint8_t qcl);
    Refusal ForSweep(float start, float stop, std::uint8_t unit, std::uint8_t qcl);
    // The step size is the laser's to judge.
    Refusal ForStepMeasure(float start, float stop, std::uint8_t unit);
    Refusal ForMultiSpectral(const MultiSpectralList& list);
    // ReadFailed when the status cannot be read.
    Refusal ForArm();
    Refusal ForDisarm();
    // Disarms an armed laser (whatever the key switch), arms one that is not: `arm` tells which.
    Refusal ForToggleArm(bool& arm);
    Refusal ForEmissionOn();
    Refusal ForEmissionOff();
    // Stop, pause, resume and manual step of a running scan.
    Refusal ForRunControl();
    // Configuration export and import: not while the laser is armed.
    Refusal ForConfigTransfer();

private:
    void Note(Step step) const {
        if (hook_)
            hook_(step);
    }
    // A fresh status read; false when it failed.
    bool ReadStatus() { return controller_.ReadStatusMask(); }
    bool Bit(std::uint32_t bit) const { return controller_.StatusBit(bit); }

    KTarvexController& controller_;
    StepHook hook_;
};

} // namespace tarvex::control
