#pragma once

#include "Json.h"
#include "LaserCache.h"
#include "control/Favorites.h"

#include <string>
#include <vector>

namespace tarvexctl {

// What the reporting subcommands show of the laser, as a JSON document and as text, from one
// copy of the controller's cache.

struct Report {
    Json json;
    std::string text;
};

// Identity, firmware, the overall tuning range and each QCL's limits.
Report InfoReport(const tarvex::LaserCache& cache, const std::string& link, const Json& linkJson);
// The status frame: status bits in words, the fault, the light, the active QCL, the board and
// QCL temperatures and the scan's progress.
Report StatusReport(const tarvex::LaserCache& cache, bool tuned);
// The current fault and both rings, newest first, the new codes marked.
Report FaultsReport(const tarvex::LaserCache& cache);
Report FavoritesReport(const std::vector<tarvex::control::Favorite>& favorites);

// printf into a std::string. MinGW's C++ runtime formats as C99 does (%zu), not as msvcrt.
#if defined(__MINGW32__)
__attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Format(const char* format, ...);

} // namespace tarvexctl
