#include "control/Favorites.h"

namespace tarvex::control {

bool ReadFavorites(KTarvexController& controller, std::vector<Favorite>& favorites) {
    if (!controller.ReadSysNumSavedStates())
        return false;
    const SavedStateTable table =
        controller.ReadCache([](const LaserCache& c) { return c.savedStates; });
    bool anyInUse = false;
    for (const std::uint8_t inUse : table.inUse)
        anyInUse = anyInUse || inUse != 0;
    if (anyInUse && !controller.ReadSavedStateNames())
        return false;
    favorites.clear();
    controller.ReadCache([&](const LaserCache& c) {
        for (std::size_t entry = 0; entry < kSavedStateEntries; ++entry)
            if (table.inUse[entry] && !c.savedStateNames[entry].empty())
                favorites.push_back({table.slot[entry], c.savedStateNames[entry]});
    });
    return true;
}

RecallResult RecallFavorite(KTarvexController& controller, std::string_view name) {
    std::vector<Favorite> favorites;
    if (!ReadFavorites(controller, favorites))
        return RecallResult::ReadFailed;
    bool found = false;
    bool restored = true;
    for (const Favorite& favorite : favorites) {
        if (favorite.name != name)
            continue;
        found = true;
        restored = controller.RecallSavedState(favorite.slot) && restored;
    }
    if (!found)
        return RecallResult::NotFound;
    return restored ? RecallResult::Recalled : RecallResult::RestoreFailed;
}

} // namespace tarvex::control
