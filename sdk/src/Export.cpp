#include "Export.h"

#include "Trace.h"

#include <cmath>
#include <cstring>

namespace tarvex::sdk {

void TraceExport(const char* name) noexcept {
    try {
        Trace("%s", name);
    } catch (...) {
        // A trace sink that fails must not fail the export.
    }
}

std::uint16_t TruncateToU16(float value) {
    if (!(value > 0.0f))
        return 0;
    if (value >= 65535.0f)
        return 65535;
    return static_cast<std::uint16_t>(value);
}

Result CopyText(std::string_view text, std::uint8_t* buffer, std::uint8_t length, TextRule rule) {
    const bool fits = rule == TextRule::MayFill ? text.size() <= length : text.size() < length;
    if (!fits)
        return TarvexSdkResult_BufferTooSmall;
    std::memset(buffer, 0, length);
    if (!text.empty())
        std::memcpy(buffer, text.data(), text.size());
    return TarvexSdkResult_Success;
}

} // namespace tarvex::sdk
