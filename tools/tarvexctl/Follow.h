#pragma once

#include "Json.h"

#include <cstdint>
#include <string>

namespace tarvexctl {

class Output;
class Session;

// Following the laser's long work until it is done, with a progress display. Ctrl-C (or
// SIGTERM) stops the tune or scan the command started, and nothing else, then ends the program
// with the interrupted status. A fault the laser reports meanwhile ends the wait as a laser
// fault.

// Waits until the laser reports tuned to `target` (in `unit`), at most `timeoutMs`. Returns the
// milliseconds it took.
std::uint64_t FollowTune(Session& laser, const Output& out, float target, std::uint8_t unit,
                         std::uint64_t timeoutMs);

// Follows a scan of `scans` runs (0: endless) in `unit` until the laser reports it is no longer
// in progress. Returns the milliseconds it took.
std::uint64_t FollowScan(Session& laser, const Output& out, const std::string& label,
                         std::uint16_t scans, std::uint8_t unit);

} // namespace tarvexctl
