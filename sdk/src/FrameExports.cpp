// The frame: the interface version, the controller object, the link settings, connecting and
// disconnecting, and the laser's power-off.
#include "Connection.h"
#include "Export.h"

using namespace tarvex;
using namespace tarvex::sdk;

namespace {

// The only link type: the laser's USB serial adapter.
constexpr std::uint8_t kUsbSerialCommType = 1;
// Exchanges in a row that may fail before the link counts as lost.
constexpr std::uint8_t kLostAfterFailures = 6;

} // namespace

uint32_t TarvexSDK_GetAPIVersion(uint16_t* major, uint16_t* minor, uint16_t* patch) {
    TraceExport("TarvexSDK_GetAPIVersion");
    if (!Present(major, minor, patch))
        return TarvexSdkResult_NullPointer;
    *major = TARVEXSDK_VERSION_MAJOR;
    *minor = TARVEXSDK_VERSION_MINOR;
    *patch = TARVEXSDK_VERSION_PATCH;
    return TarvexSdkResult_Success;
}

uint32_t TarvexSDK_CreateTarvexObject(void) {
    return Guarded("TarvexSDK_CreateTarvexObject", Traced::Yes, [](Library& library) -> Result {
        if (library.ObjectCreated())
            return TarvexSdkResult_ObjectAlreadyCreated;
        library.CreateObject();
        return TarvexSdkResult_Success;
    });
}

uint32_t TarvexSDK_IsTarvexObjectCreated(uint8_t* created) {
    TraceExport("TarvexSDK_IsTarvexObjectCreated");
    if (!Present(created))
        return TarvexSdkResult_NullPointer;
    try {
        *created = Flag(TheLibrary().ObjectCreated());
    } catch (...) {
        *created = 0; // the library could not be set up
    }
    return TarvexSdkResult_Success;
}

uint32_t TarvexSDK_SetCommType(uint8_t commType) {
    return RunExport("TarvexSDK_SetCommType", Traced::Yes, true,
                     [&](KTarvexController& controller, Library&) -> Result {
                         if (commType != kUsbSerialCommType)
                             return TarvexSdkResult_CommTypeUnsupported;
                         controller.SetTransportType(kTransportSerial);
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_SetSerialParams(uint16_t port, uint32_t baud) {
    return RunExport("TarvexSDK_SetSerialParams", Traced::Yes, true,
                     [&](KTarvexController&, Library& library) -> Result {
                         if (port != 0)
                             library.serialPort = port;
                         if (baud != 0)
                             library.serialBaud = baud;
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_Initialize(void) {
    return Guarded("TarvexSDK_Initialize", Traced::Yes, [](Library& library) -> Result {
        library.galvoDisplacement = Library::kDefaultGalvoDisplacement;
        library.CreateObject();
        if (library.Controller().IsConnected())
            return TarvexSdkResult_Success;
        return ConnectToLaser(library) ? TarvexSdkResult_Success : TarvexSdkResult_ConnectFailed;
    });
}

uint32_t TarvexSDK_IsConnectedToLaser(uint8_t* connected) {
    return RunExport("TarvexSDK_IsConnectedToLaser", Traced::Yes, Present(connected),
                     [&](KTarvexController& controller, Library&) -> Result {
                         *connected = Flag(controller.IsConnected() &&
                                           controller.ConsecutiveFailures() < kLostAfterFailures);
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_DeInitialize(void) {
    return RunExport("TarvexSDK_DeInitialize", Traced::Yes, true,
                     [](KTarvexController& controller, Library&) -> Result {
                         if (controller.IsConnected()) {
                             controller.CloseTransport();
                             controller.SetConnected(false);
                         }
                         return TarvexSdkResult_Success;
                     });
}

uint32_t TarvexSDK_PowerOffSystem(void) {
    return RunExport("TarvexSDK_PowerOffSystem", Traced::Yes, true,
                     [](KTarvexController& controller, Library&) -> Result {
                         return controller.PowerOff() ? TarvexSdkResult_Success
                                                      : TarvexSdkResult_PowerOffFailed;
                     });
}
