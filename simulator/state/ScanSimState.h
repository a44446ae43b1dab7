#pragma once

#include <cstdint>

namespace tarvex::sim {

struct ScanSimState {};

} // namespace tarvex::sim
