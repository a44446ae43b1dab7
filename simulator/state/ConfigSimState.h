#pragma once

#include <cstdint>

namespace tarvex::sim {

struct ConfigSimState {};

} // namespace tarvex::sim
