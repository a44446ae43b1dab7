#pragma once

#include <cstdint>

namespace tarvex::sim {

struct DiagnosticSimState {};

} // namespace tarvex::sim
