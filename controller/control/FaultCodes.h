#pragma once

#include "records/StatusRecords.h"

#include <cstdint>
#include <vector>

namespace tarvex::control {

// The words for a fault code the laser reports ("QCL 2 motion fault"); "Unknown fault code"
// for a code without them, and "None" for 0.
const char* FaultText(std::uint16_t code);

// `count` codes of a ring of the error or warning list (at most its 20), newest first: walking
// back from the slot before `index`, the slot the next code will take.
std::vector<std::uint16_t>
NewestFirst(const std::array<std::uint16_t, SystemErrorsList::kRingSize>& ring, std::uint16_t index,
            std::size_t count);

} // namespace tarvex::control
