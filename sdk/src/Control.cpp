#include "Control.h"

namespace tarvex::sdk {

namespace {

const char* QueryName(control::Step step) {
    switch (step) {
    case control::Step::TecsAtTemperature:
        return "TarvexSDK_AreTECsAtSetTemperature";
    case control::Step::TuningRange:
        return "TarvexSDK_GetTuningRange";
    case control::Step::ConvertWavelength:
        return "TarvexSDK_ConvertWW";
    case control::Step::Armed:
        return "TarvexSDK_IsLaserArmed";
    case control::Step::Tuned:
        return "TarvexSDK_IsTuned";
    }
    return "";
}

} // namespace

control::Preconditions Checks(KTarvexController& controller) {
    return control::Preconditions(controller,
                                  [](control::Step step) { TraceExport(QueryName(step)); });
}

Result ResultOf(control::Refusal refusal) {
    using control::Refusal;
    switch (refusal) {
    case Refusal::None:
        return TarvexSdkResult_Success;
    case Refusal::ReadFailed:
        return TarvexSdkResult_CommError;
    case Refusal::TecsNotAtTemperature:
        return TarvexSdkResult_TecsNotAtTemperature;
    case Refusal::LaserNotArmed:
        return TarvexSdkResult_LaserNotArmed;
    case Refusal::LaserNotTuned:
        return TarvexSdkResult_LaserNotTuned;
    case Refusal::AlreadyArmed:
    case Refusal::AlreadyDisarmed:
    case Refusal::LaserArmed: // only checked before a configuration transfer, which no export does
        return TarvexSdkResult_ArmStateUnchanged;
    case Refusal::InterlockOrKeySwitchOpen:
        return TarvexSdkResult_InterlockOrKeySwitchOpen;
    case Refusal::EmissionAlreadyOn:
        return TarvexSdkResult_EmissionAlreadyOn;
    case Refusal::EmissionNotOn:
        return TarvexSdkResult_EmissionNotOn;
    case Refusal::NoScanInProgress:
        return TarvexSdkResult_NoScanInProgress;
    case Refusal::UnknownWavelengthUnit:
    case Refusal::WavelengthOutOfRange:
        return TarvexSdkResult_WavelengthOutOfRange;
    case Refusal::InvalidQclNumber:
        return TarvexSdkResult_InvalidQclNumber;
    case Refusal::PulseRateOutOfRange:
        return TarvexSdkResult_PulseRateOutOfRange;
    case Refusal::PulseWidthOutOfRange:
        return TarvexSdkResult_PulseWidthOutOfRange;
    case Refusal::CurrentOutOfRange:
        return TarvexSdkResult_CurrentOutOfRange;
    case Refusal::TemperatureOutOfRange:
        return TarvexSdkResult_TemperatureOutOfRange;
    case Refusal::CwNotAllowed:
        return TarvexSdkResult_CwNotAllowed;
    case Refusal::InvalidLaserMode:
        return TarvexSdkResult_InvalidLaserMode;
    case Refusal::TooManyElements:
        return TarvexSdkResult_TooManyMultiSpectralElements;
    case Refusal::ListFull:
        return TarvexSdkResult_IndexOutOfRange;
    case Refusal::ListIncomplete:
        return TarvexSdkResult_MultiSpectralListIncomplete;
    }
    return TarvexSdkResult_CommError;
}

} // namespace tarvex::sdk
