#pragma once

#include "KTarvexController.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::control {

// A favorite (saved state) the laser holds: its slot and its name.
struct Favorite {
    std::uint8_t slot = 0;
    std::string name;
};

// The favorites of a saved-state table and its names (the cache's), in the table's order; an
// entry without a name is left out.
std::vector<Favorite> ListFavorites(const SavedStateTable& table,
                                    const std::array<std::string, kSavedStateEntries>& names);

// Reads the saved-state table and the names of the entries in use, and gives the favorites in
// the table's order. A laser without favorites is a good answer (an empty list); only a failed
// read is a failure. An entry whose name could not be read is left out.
bool ReadFavorites(KTarvexController& controller, std::vector<Favorite>& favorites);

enum class RecallResult : std::uint8_t { Recalled, NotFound, ReadFailed, RestoreFailed };

// Restores every favorite named exactly `name` (case matters), in the table's order.
// RestoreFailed when any restore failed.
RecallResult RecallFavorite(KTarvexController& controller, std::string_view name);

// The favorite in slot 0 is the laser's own default: recalled like any other, but never
// overwritten or erased from the host.
inline constexpr std::uint8_t kDefaultFavoriteSlot = 0;

enum class SaveResult : std::uint8_t {
    Saved,
    EmptyName,
    NameInUse,   // a favorite of that name exists, letter case ignored, and may not be overwritten
    NoFreeEntry, // the laser holds as many favorites as it can
    DefaultFavorite,
    ReadFailed,
    SaveFailed,
};

// Saves the laser's present state as the favorite `name`. A new name takes the first free
// entry. A name already in use (letter case ignored, so that two favorites never differ by case
// alone) is refused, unless `overwrite` is set: then that favorite's slot takes the state and
// the name as now given. `slot` tells where it went.
SaveResult SaveFavorite(KTarvexController& controller, std::string_view name, bool overwrite,
                        std::uint8_t& slot);

enum class EraseResult : std::uint8_t {
    Erased,
    NotFound,
    DefaultFavorite,
    ReadFailed,
    EraseFailed
};

// Erases every favorite named exactly `name`; refused without erasing any when one of them is
// the default favorite. EraseFailed when any erase failed.
EraseResult EraseFavorite(KTarvexController& controller, std::string_view name);

} // namespace tarvex::control
