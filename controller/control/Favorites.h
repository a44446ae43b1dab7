#pragma once

#include "KTarvexController.h"

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

// Reads the saved-state table and the names of the entries in use, and gives the favorites in
// the table's order. A laser without favorites is a good answer (an empty list); only a failed
// read is a failure. An entry whose name could not be read is left out.
bool ReadFavorites(KTarvexController& controller, std::vector<Favorite>& favorites);

enum class RecallResult : std::uint8_t { Recalled, NotFound, ReadFailed, RestoreFailed };

// Restores every favorite named exactly `name` (case matters), in the table's order.
// RestoreFailed when any restore failed.
RecallResult RecallFavorite(KTarvexController& controller, std::string_view name);

} // namespace tarvex::control
