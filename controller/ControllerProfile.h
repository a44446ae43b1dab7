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
    // The commands only one deliverable carries. Panel: board temperatures, the error lists,
    // the QCL switch, the pointer, creating, erasing and regenerating saved states, supply
    // voltages and the TEC and QCL interface board tests. SDK: the advanced sweep, the
    // wavelength trigger, motion calibration, move durations and the galvo laser switching.
    // A command the profile does not carry answers false without an exchange.
    bool panelCommands = true;
    bool sdkCommands = false;
    // Keep the cached picture fresh on a thread of its own once the panel's Initialize has
    // connected. A front end that reads what it needs when it needs it goes without.
    bool heartbeat = true;

    static constexpr ControllerProfile Panel() { return {}; }
    static constexpr ControllerProfile Sdk() {
        return {.codecTrace = false,
                .exchangeTrace = false,
                .notifyLinkLost = false,
                .disarmWaitHoldsLock = false,
                .diagnosticLoopsHoldLock = false,
                .refreshTrace = false,
                .panelCommands = false,
                .sdkCommands = true,
                .heartbeat = false};
    }
};

} // namespace tarvex
