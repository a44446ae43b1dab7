#include "Connection.h"

#include "ExtraDevice.h"

namespace tarvex::sdk {
namespace {

// Puts a backend in place for the search and the one before back afterwards. A transport opened
// meanwhile keeps using the backend it was opened through.
class BackendForSearch {
public:
    explicit BackendForSearch(FtdiApi* backend)
        : active_(backend != nullptr), previous_(active_ ? SetFtdiApi(backend) : nullptr) {}
    ~BackendForSearch() {
        if (active_)
            SetFtdiApi(previous_);
    }
    BackendForSearch(const BackendForSearch&) = delete;
    BackendForSearch& operator=(const BackendForSearch&) = delete;

private:
    bool active_;
    FtdiApi* previous_;
};

} // namespace

bool ConnectToLaser(Library& library) {
    KTarvexController& controller = library.Controller();
    // Nothing may stay open through a device that the environment no longer names.
    controller.CloseTransport();
    ExtraDevice* extra = library.DeviceFromEnvironment();
    BackendForSearch search(extra ? &extra->Backend() : nullptr);
    return controller.InitializeUsbAdapter();
}

} // namespace tarvex::sdk
