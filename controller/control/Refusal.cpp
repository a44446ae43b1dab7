#include "control/Refusal.h"

namespace tarvex::control {

const char* Reason(Refusal refusal) {
    switch (refusal) {
    case Refusal::None:
        return "allowed";
    case Refusal::ReadFailed:
        return "the laser did not answer a read";
    case Refusal::TecsNotAtTemperature:
        return "the TECs are not at their set temperature";
    case Refusal::LaserNotArmed:
        return "the laser is not armed";
    case Refusal::LaserNotTuned:
        return "the laser is not tuned";
    case Refusal::AlreadyArmed:
        return "the laser is already armed";
    case Refusal::AlreadyDisarmed:
        return "the laser is already disarmed";
    case Refusal::InterlockOrKeySwitchOpen:
        return "the interlock or the key switch is open";
    case Refusal::EmissionAlreadyOn:
        return "emission is already on";
    case Refusal::EmissionNotOn:
        return "emission is not on";
    case Refusal::NoScanInProgress:
        return "no scan is in progress";
    case Refusal::LaserArmed:
        return "the laser is armed";
    case Refusal::UnknownWavelengthUnit:
        return "unknown wavelength unit (1 microns, 2 cm-1)";
    case Refusal::WavelengthOutOfRange:
        return "the wavelength lies outside the laser's tuning range";
    case Refusal::InvalidQclNumber:
        return "no such QCL installed";
    case Refusal::PulseRateOutOfRange:
        return "the pulse rate lies outside the QCL's limits";
    case Refusal::PulseWidthOutOfRange:
        return "the pulse width lies outside the QCL's limits";
    case Refusal::CurrentOutOfRange:
        return "the current lies outside the QCL's limits for the laser mode";
    case Refusal::TemperatureOutOfRange:
        return "the temperature lies outside the QCL's limits";
    case Refusal::CwNotAllowed:
        return "the QCL does not allow a continuous-wave mode";
    case Refusal::InvalidLaserMode:
        return "unknown laser mode";
    case Refusal::TooManyElements:
        return "a multi-spectral list holds at most 20 elements";
    case Refusal::ListFull:
        return "the multi-spectral list already holds the announced number of elements";
    case Refusal::ListIncomplete:
        return "the multi-spectral list does not hold the announced number of elements";
    }
    return "refused";
}

} // namespace tarvex::control
