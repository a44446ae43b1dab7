#pragma once

#include "FaultInjector.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarvex::sim {

// The text forms tarvex-sim takes on its command line and standard input:
//   NAME[,cmd=ID][,count=N|,rate=R][,delay=MS]
// with ID a command id (0 to 65535), N a whole number of exchanges (negative: all of them), R a
// probability (0 to 1) and MS whole milliseconds up to kLongestFaultDelayMs. Anything else is
// refused, with the reason in `error`.
inline constexpr std::uint32_t kLongestFaultDelayMs = 60000;
std::optional<FaultRule> ParseFaultSpec(const std::string& spec, std::string& error);

// The fault injector's random seed: a whole number from 0 to 4294967295.
std::optional<std::uint32_t> ParseSeed(const std::string& text, std::string& error);

} // namespace tarvex::sim
