// Queries of the favorites (saved states) the laser holds.
#include "Export.h"
#include "control/Favorites.h"

#include <algorithm>
#include <vector>

using namespace tarvex;
using namespace tarvex::sdk;

uint32_t TarvexSDK_GetNumFavorites(uint8_t* n) {
    return RunExport("TarvexSDK_GetNumFavorites", Traced::Yes, Present(n),
                     [&](KTarvexController& controller, Library&) -> Result {
                         std::vector<control::Favorite> favorites;
                         if (!control::ReadFavorites(controller, favorites))
                             return TarvexSdkResult_CommError;
                         *n = static_cast<std::uint8_t>(
                             std::min<std::size_t>(favorites.size(), 255));
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_GetFavoriteName(uint8_t index, uint8_t* buffer, uint8_t length) {
    return RunExport("TarvexSDK_GetFavoriteName", Traced::Yes, Present(buffer),
                     [&](KTarvexController& controller, Library&) -> Result {
                         std::vector<control::Favorite> favorites;
                         if (!control::ReadFavorites(controller, favorites))
                             return TarvexSdkResult_CommError;
                         if (index >= favorites.size())
                             return TarvexSdkResult_IndexOutOfRange;
                         return CopyText(favorites[index].name, buffer, length,
                                         TextRule::NeedsTerminator);
                     });
}
