#pragma once

#include <cstdint>

namespace tarvex::sim {

struct SavedStateSimState {};

} // namespace tarvex::sim
