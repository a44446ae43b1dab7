// The simulated laser's saved-state file on any text. What the parser accepts is written back
// the same way each time: the state file that tarvex-sim rewrites on every change must not
// drift or lose slots from one restart to the next.
#include "FuzzSupport.h"
#include "SavedStateFile.h"

#include <string>

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto slots =
        sim::ParseSavedStates(std::string(reinterpret_cast<const char*>(data), size), error);
    if (!slots) {
        fuzz::Check(!error.empty(), "a refused state file without a reason");
        return 0;
    }
    const std::string written = sim::FormatSavedStates(*slots);
    const auto reread = sim::ParseSavedStates(written, error);
    fuzz::Check(reread.has_value(), "a written state file does not parse");
    fuzz::Check(sim::FormatSavedStates(*reread) == written, "a state file changes when rewritten");
    return 0;
}
