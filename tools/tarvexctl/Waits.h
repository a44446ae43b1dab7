#pragma once

#include "Clock.h"

#include <cstdint>

namespace tarvexctl {

class Session;

// The laser is polled at the status frame's pace.
inline constexpr std::uint32_t kPollMs = 500;

// Waits `ms` on `clock` in short slices; false as soon as an interrupt arrives.
bool Pause(tarvex::Clock& clock, std::uint32_t ms);

// Reads what the status frame shows (status, light, scan progress, QCL readbacks, case and
// board temperatures, TEC measurements); fails the session when the laser stops answering.
void ReadStatusFrame(Session& laser);

} // namespace tarvexctl
