#include "Library.h"

#include "ExtraDevice.h"

#include <cstdlib>

namespace tarvex::sdk {
namespace {

std::atomic<Library*> installed{nullptr};

} // namespace

Library::Library(Clock& clock, bool createObject) : clock_(clock) {
    if (createObject)
        CreateObject();
}

Library::~Library() = default;

void Library::CreateObject() {
    std::lock_guard lock(mutex_);
    if (controller_)
        return;
    controller_ = std::make_unique<KTarvexController>(ControllerProfile::Sdk(), &clock_);
    objectCreated_.store(true);
}

ExtraDevice* Library::DeviceFromEnvironment() {
    const char* value = std::getenv(kDeviceVariable);
    const std::string spec = value ? value : "";
    FtdiApi& machine = GetFtdiApi();
    if (!extraDevice_ || !extraDevice_->MadeFor(spec, machine)) {
        // Any transport opened through the previous device has been closed by now.
        extraDevice_ = ExtraDevice::Make(spec, machine, clock_);
    }
    return extraDevice_.get();
}

Library& TheLibrary() {
    if (Library* library = installed.load())
        return *library;
    // Never destroyed: a client may still call in while the process ends.
    static Library* const processLibrary = new Library();
    return *processLibrary;
}

void InstallLibrary(Library* library) {
    installed.store(library);
}

} // namespace tarvex::sdk
