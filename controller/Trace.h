#pragma once

#include <functional>
#include <string_view>

namespace tarvex {

// Diagnostic trace of the controller library. Each call formats printf-style into a 2048-byte
// buffer and hands the line (without line ending) to the installed sink. Without a sink the
// line goes where TARVEX_TRACE names ("stderr", or a file path to append to), and on Windows to
// the debugger output as well.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void Trace(const char* format, ...);

using TraceSink = std::function<void(std::string_view line)>;

// Replaces the process-wide sink; an empty function restores the default. Returns the previous.
TraceSink SetTraceSink(TraceSink sink);

// True when a trace line would go anywhere; lets hot paths skip formatting.
bool TraceEnabled();

} // namespace tarvex
