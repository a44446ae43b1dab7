#pragma once

#include <cstdint>

namespace tarvex::control {

// Why a control operation is refused before it changes the laser. Every front end refuses the
// same operations for the same reasons (the checks in this folder decide them); each one words
// the reason (Reason) or codes it in its own way.
enum class Refusal : std::uint8_t {
    None, // nothing stands in the way

    // A read the decision depends on failed: there is nothing to decide from.
    ReadFailed,

    // The laser's state.
    TecsNotAtTemperature,
    LaserNotArmed,
    LaserNotTuned,
    AlreadyArmed,
    AlreadyDisarmed,
    InterlockOrKeySwitchOpen,
    EmissionAlreadyOn,
    EmissionNotOn,
    NoScanInProgress,
    LaserArmed, // what must not happen while the laser is armed

    // The caller's arguments.
    UnknownWavelengthUnit,
    WavelengthOutOfRange,
    InvalidQclNumber,
    PulseRateOutOfRange,
    PulseWidthOutOfRange,
    CurrentOutOfRange,
    TemperatureOutOfRange,
    CwNotAllowed,
    InvalidLaserMode,

    // The multi-spectral list.
    TooManyElements,
    ListFull,
    ListIncomplete,
};

// The reason in words, lower case without a full stop ("the laser is not armed").
const char* Reason(Refusal refusal);

} // namespace tarvex::control
