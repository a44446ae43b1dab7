#include "DebugOutput.h"

#if defined(_WIN32)
#include <windows.h>

#include <string>
#endif

namespace tarvex {

#if defined(_WIN32)

bool HasDebugOutput() {
    return true;
}

void WriteDebugOutput(std::string_view line) {
    std::string text(line);
    text += "\r\n";
    OutputDebugStringA(text.c_str());
}

#else

bool HasDebugOutput() {
    return false;
}

void WriteDebugOutput(std::string_view) {}

#endif

} // namespace tarvex
