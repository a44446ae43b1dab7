#include "control/Favorites.h"

#include <algorithm>
#include <cctype>

namespace tarvex::control {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::vector<Favorite> ListFavorites(const SavedStateTable& table,
                                    const std::array<std::string, kSavedStateEntries>& names) {
    std::vector<Favorite> favorites;
    for (std::size_t entry = 0; entry < kSavedStateEntries; ++entry)
        if (table.inUse[entry] && !names[entry].empty())
            favorites.push_back({table.slot[entry], names[entry]});
    return favorites;
}

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
    favorites = controller.ReadCache(
        [&](const LaserCache& c) { return ListFavorites(table, c.savedStateNames); });
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

SaveResult SaveFavorite(KTarvexController& controller, std::string_view name, bool overwrite,
                        std::uint8_t& slot) {
    if (name.empty())
        return SaveResult::EmptyName;
    std::vector<Favorite> favorites;
    if (!ReadFavorites(controller, favorites))
        return SaveResult::ReadFailed;
    const auto existing = std::find_if(favorites.begin(), favorites.end(), [&](const Favorite& f) {
        return SameIgnoringCase(f.name, name);
    });
    if (existing != favorites.end()) {
        if (!overwrite)
            return SaveResult::NameInUse;
        if (existing->slot == kDefaultFavoriteSlot)
            return SaveResult::DefaultFavorite;
        slot = existing->slot;
        return controller.ExecSysSaveState(slot, std::string(name)) ? SaveResult::Saved
                                                                    : SaveResult::SaveFailed;
    }
    const bool full = controller.ReadCache([](const LaserCache& c) {
        return std::find(c.savedStates.inUse.begin(), c.savedStates.inUse.end(), 0) ==
               c.savedStates.inUse.end();
    });
    if (full)
        return SaveResult::NoFreeEntry;
    return controller.CreateSavedState(std::string(name), slot) ? SaveResult::Saved
                                                                : SaveResult::SaveFailed;
}

EraseResult EraseFavorite(KTarvexController& controller, std::string_view name) {
    std::vector<Favorite> favorites;
    if (!ReadFavorites(controller, favorites))
        return EraseResult::ReadFailed;
    std::erase_if(favorites, [&](const Favorite& f) { return f.name != name; });
    if (favorites.empty())
        return EraseResult::NotFound;
    if (std::any_of(favorites.begin(), favorites.end(),
                    [](const Favorite& f) { return f.slot == kDefaultFavoriteSlot; }))
        return EraseResult::DefaultFavorite;
    bool erased = true;
    for (const Favorite& favorite : favorites)
        erased = controller.EraseSavedState(favorite.slot) && erased;
    return erased ? EraseResult::Erased : EraseResult::EraseFailed;
}

} // namespace tarvex::control
