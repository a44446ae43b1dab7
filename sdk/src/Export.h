#pragma once

#include "Library.h"
#include "TarvexSDK.h"

#include <cstdint>
#include <mutex>
#include <string_view>

namespace tarvex::sdk {

using Result = std::uint32_t;

// Whether an export writes its name to the trace before anything else.
enum class Traced : bool { No = false, Yes = true };

// Writes an export's name to the controller's trace; never fails the export.
void TraceExport(const char* name) noexcept;

// True when none of the output pointers is null.
template <typename... T> bool Present(T*... outputs) {
    return ((outputs != nullptr) && ...);
}

// The outermost frame of an export: the name to the trace when `traced`, then `body(library)`
// under the library lock. No exception leaves it: one that escapes a body counts as a failed
// exchange.
template <typename Body> Result Guarded(const char* name, Traced traced, Body&& body) noexcept {
    if (traced == Traced::Yes)
        TraceExport(name);
    try {
        Library& library = TheLibrary();
        std::lock_guard lock(library.Mutex());
        return body(library);
    } catch (...) {
        return TarvexSdkResult_CommError;
    }
}

// An export that works on the controller: Guarded, then the object check and the output check
// before `body(controller, library)` runs, so that a refused call sends nothing.
template <typename Body>
Result RunExport(const char* name, Traced traced, bool outputsPresent, Body&& body) noexcept {
    return Guarded(name, traced, [&](Library& library) -> Result {
        if (!library.ObjectCreated())
            return TarvexSdkResult_ObjectNotCreated;
        if (!outputsPresent)
            return TarvexSdkResult_NullPointer;
        return body(library.Controller(), library);
    });
}

// The common shape of a query: `reads(controller)` (CommError when it fails), then
// `copy(cache)` hands the fresh values out.
template <typename Reads, typename Copy>
Result ReadThenCopy(const char* name, Traced traced, bool outputsPresent, Reads reads, Copy copy) {
    return RunExport(name, traced, outputsPresent,
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (!reads(controller))
                             return TarvexSdkResult_CommError;
                         controller.ReadCache([&](const LaserCache& cache) { copy(cache); });
                         return TarvexSdkResult_Success;
                     });
}

// A 1-based QCL number of an installed module.
inline bool IsInstalledQcl(const KTarvexController& controller, std::uint8_t qcl) {
    return qcl >= 1 && qcl <= controller.InstalledQcls();
}
// The cache index of a valid QCL number.
inline std::size_t QclIndex(std::uint8_t qcl) {
    return static_cast<std::size_t>(qcl) - 1;
}

inline std::uint8_t Flag(bool value) {
    return value ? 1 : 0;
}

// A reading truncated toward zero into 16 bits, saturated at both ends (NaN gives 0).
std::uint16_t TruncateToU16(float value);

// How a text goes into a caller's buffer of `length` bytes.
enum class TextRule {
    MayFill,         // the text may take every byte, then it has no terminator
    NeedsTerminator, // the buffer must be longer than the text
};
// The text-buffer rule: zero-fills all `length` bytes and copies the text when it fits, else
// leaves the buffer untouched and gives BufferTooSmall.
Result CopyText(std::string_view text, std::uint8_t* buffer, std::uint8_t length, TextRule rule);

} // namespace tarvex::sdk
