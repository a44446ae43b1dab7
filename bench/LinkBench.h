#pragma once

// What the status exchange benchmarks of each channel share.
#include "Clock.h"
#include "FaultInjector.h"
#include "KTarvexController.h"
#include "SimLaser.h"
#include "SimLink.h"

#include <cstddef>
#include <cstdint>

namespace tarvex::bench {

// One ReadStatusMask exchange: a 20-byte command, a 12-byte ack and a 20-byte response.
inline constexpr std::uint16_t kStatusMask = 3;
inline constexpr std::size_t kCommandBytes = 20;
inline constexpr std::size_t kReplyBytes = 12 + 20;

inline bool ExchangeStatusMask(KTarvexController& controller) {
    KTarvexCommand command(kStatusMask, kRead), response;
    return controller.Exchange(command, response);
}

// The simulated laser on real time, for the channels that run on it.
struct RealTimeLaser {
    sim::SimLaser model{SystemClock::Instance()};
    sim::FaultInjector faults;
    sim::SimLink link{model, faults};
};

} // namespace tarvex::bench
