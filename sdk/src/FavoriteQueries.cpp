// Queries of the favorites (saved states) the laser holds.
#include "Export.h"

#include <string>
#include <vector>

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

// Reads the saved-state table and the names of the entries in use, and hands out the names of
// the favorites in the table's order. A laser without favorites is a good answer (an empty
// list): only a failed read is a failure.
bool ReadFavorites(KTarvexController& controller, std::vector<std::string>& names) {
    if (!controller.ReadSysNumSavedStates())
        return false;
    const SavedStateTable table =
        controller.ReadCache([](const LaserCache& c) { return c.savedStates; });
    bool anyInUse = false;
    for (const std::uint8_t inUse : table.inUse)
        anyInUse = anyInUse || inUse != 0;
    if (anyInUse && !controller.ReadSavedStateNames())
        return false;
    names.clear();
    controller.ReadCache([&](const LaserCache& c) {
        for (std::size_t entry = 0; entry < kSavedStateEntries; ++entry)
            if (table.inUse[entry] && !c.savedStateNames[entry].empty())
                names.push_back(c.savedStateNames[entry]);
    });
    return true;
}

} // namespace

uint32_t TarvexSDK_GetNumFavorites(uint8_t* n) {
    return RunExport("TarvexSDK_GetNumFavorites", Traced::Yes, Present(n),
                     [&](KTarvexController& controller, Library&) -> Result {
                         std::vector<std::string> names;
                         if (!ReadFavorites(controller, names))
                             return TarvexSdkResult_CommError;
                         *n = static_cast<std::uint8_t>(std::min<std::size_t>(names.size(), 255));
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_GetFavoriteName(uint8_t index, uint8_t* buffer, uint8_t length) {
    return RunExport("TarvexSDK_GetFavoriteName", Traced::Yes, Present(buffer),
                     [&](KTarvexController& controller, Library&) -> Result {
                         std::vector<std::string> names;
                         if (!ReadFavorites(controller, names))
                             return TarvexSdkResult_CommError;
                         if (index >= names.size())
                             return TarvexSdkResult_IndexOutOfRange;
                         return CopyText(names[index], buffer, length, TextRule::NeedsTerminator);
                     });
}
