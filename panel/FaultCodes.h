#pragma once

#include <cstdint>

namespace tarvex::panel {

// Motion faults the status display clears on its own outside manufacturing mode: the laser
// recovers from them without the operator's help.
inline bool ClearedAutomatically(std::uint16_t code) {
    return (code >= 30 && code <= 33) || (code >= 35 && code <= 38) || (code >= 60 && code <= 63);
}

} // namespace tarvex::panel
