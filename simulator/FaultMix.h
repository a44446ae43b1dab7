#pragma once

#include "FaultInjector.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::sim {

// Every fault a link can suffer, each spoiling a share `rate` of the exchanges: the reply
// dropped, corrupted, refused, stale, with the wrong sequence number or a non-zero status, late
// within the host's read time-out and past it (whole, or the response alone after an ack in
// time), and late more often on the per-slot readbacks, whose slots share a sequence number.
// Silence comes in bursts instead (SilenceBurst), ahead of the mix.
std::vector<FaultRule> MixedFaults(double rate, std::uint32_t readTimeoutMs);

// `packets` exchanges in a row that get no answer.
FaultRule SilenceBurst(int packets);

// The rule as tarvex-sim takes it on its command line or standard input.
std::string FormatFaultSpec(const FaultRule& rule);

} // namespace tarvex::sim
