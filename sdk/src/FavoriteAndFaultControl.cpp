// Recalling a favorite, and clearing the laser's fault.
#include "Control.h"
#include "control/Favorites.h"

using namespace tarvex;
using namespace tarvex::sdk;

uint32_t TarvexSDK_RecallFavorite(const char* name) {
    return RunExport("TarvexSDK_RecallFavorite", Traced::Yes, Present(name),
                     [&](KTarvexController& controller, Library&) -> Result {
                         switch (control::RecallFavorite(controller, name)) {
                         case control::RecallResult::Recalled:
                             return TarvexSdkResult_Success;
                         case control::RecallResult::NotFound:
                             return TarvexSdkResult_FavoriteNotFound;
                         case control::RecallResult::RestoreFailed:
                             return TarvexSdkResult_FavoriteRecallFailed;
                         case control::RecallResult::ReadFailed:
                             break;
                         }
                         return TarvexSdkResult_CommError;
                     });
}

// Whether the fault went is told through `cleared`: the call itself succeeds.
uint32_t TarvexSDK_ClearSystemError(uint8_t* cleared) {
    return RunExport("TarvexSDK_ClearSystemError", Traced::Yes, Present(cleared),
                     [&](KTarvexController& controller, Library&) {
                         *cleared = Flag(controller.ClearFault());
                         return TarvexSdkResult_Success;
                     });
}
