#pragma once

#include <string_view>

namespace tarvex {

// The platform's debugger output, where trace lines go besides the TARVEX_TRACE target: the
// debug-output call on Windows, which debuggers and debug viewers show; POSIX has none.
bool HasDebugOutput();
// Hands one line over, with the CR LF the trace ends its lines with.
void WriteDebugOutput(std::string_view line);

} // namespace tarvex
