#pragma once

namespace tarvex {

// The two deliverables share one controller; where they behave differently, the controller is
// built with the profile of its owner.
struct ControllerProfile {
    // The codec's own trace lines (unknown command id, CRC mismatch).
    bool codecTrace = true;
    // The per-exchange timing and sequence trace lines.
    bool exchangeTrace = true;
    // Report a lost link to the owner's callback.
    bool notifyLinkLost = true;
    // Hold the transaction lock across the whole wait for the armed bit to clear after a disarm.
    bool disarmWaitHoldsLock = true;
    // Hold the transaction lock across the per-QCL loops of the diagnostic reads (test QCL
    // info, TEC measurements, encoders) instead of taking it per QCL.
    bool diagnosticLoopsHoldLock = true;
    // The refresh's own trace lines (result and duration).
    bool refreshTrace = true;

    static constexpr ControllerProfile Panel() { return {}; }
    static constexpr ControllerProfile Sdk() {
        return {.codecTrace = false,
                .exchangeTrace = false,
                .notifyLinkLost = false,
                .disarmWaitHoldsLock = false,
                .diagnosticLoopsHoldLock = false,
                .refreshTrace = false};
    }
};

} // namespace tarvex
