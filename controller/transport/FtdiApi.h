#pragma once

#include <cstdint>

namespace tarvex {

// Access to the laser's USB serial adapter, one call per operation of the adapter vendor's
// driver library. Every call returns a status of which only kFtOk (0) is relied upon.
using FtdiStatus = std::uint32_t;
using FtdiHandle = void*;

enum : FtdiStatus {
    kFtOk = 0,
    kFtInvalidHandle,
    kFtDeviceNotFound,
    kFtDeviceNotOpened,
    kFtIoError,
    kFtInvalidParameter,
    kFtInvalidBaudRate,
    kFtOtherError,
    // The driver library is not installed (or lacks a function the transport calls).
    kFtDriverNotInstalled,
};

// Values of SetDataCharacteristics and SetFlowControl.
inline constexpr std::uint8_t kFtBits7 = 7;
inline constexpr std::uint8_t kFtBits8 = 8;
inline constexpr std::uint8_t kFtStopBits1 = 0;
inline constexpr std::uint8_t kFtStopBits2 = 2;
inline constexpr std::uint8_t kFtParityNone = 0;
inline constexpr std::uint8_t kFtParityOdd = 1;
inline constexpr std::uint8_t kFtParityEven = 2;
inline constexpr std::uint16_t kFtFlowNone = 0x0000;
inline constexpr std::uint16_t kFtFlowRtsCts = 0x0100;

// FtdiDeviceInfoNode::flags: the device is open (by this process or another).
inline constexpr std::uint32_t kFtFlagOpened = 0x1;

// One entry of the device list. The layout is the driver's own (104 bytes with 8-byte pointers).
struct FtdiDeviceInfoNode {
    std::uint32_t flags = 0;
    std::uint32_t type = 0;
    std::uint32_t id = 0; // USB vendor in the high 16 bits, product in the low 16
    std::uint32_t locId = 0;
    char serialNumber[16] = {};
    char description[64] = {};
    FtdiHandle handle = nullptr;
};
static_assert(sizeof(void*) != 8 || sizeof(FtdiDeviceInfoNode) == 104);

class FtdiApi {
public:
    virtual ~FtdiApi() = default;

    // Takes a snapshot of the attached devices; indexes of the calls below refer to it.
    virtual FtdiStatus CreateDeviceInfoList(std::uint32_t& count) = 0;
    // `count`: on entry the room in `nodes`, on return the number of nodes filled.
    virtual FtdiStatus GetDeviceInfoList(FtdiDeviceInfoNode* nodes, std::uint32_t& count) = 0;
    virtual FtdiStatus Open(int index, FtdiHandle& handle) = 0;
    virtual FtdiStatus SetBaudRate(FtdiHandle handle, std::uint32_t baud) = 0;
    virtual FtdiStatus SetDataCharacteristics(FtdiHandle handle, std::uint8_t wordLength,
                                              std::uint8_t stopBits, std::uint8_t parity) = 0;
    virtual FtdiStatus SetFlowControl(FtdiHandle handle, std::uint16_t mode, std::uint8_t xon,
                                      std::uint8_t xoff) = 0;
    virtual FtdiStatus SetLatencyTimer(FtdiHandle handle, std::uint8_t ms) = 0;
    // A read returns after at most `readMs` (0: once all bytes came), a write likewise.
    virtual FtdiStatus SetTimeouts(FtdiHandle handle, std::uint32_t readMs,
                                   std::uint32_t writeMs) = 0;
    virtual FtdiStatus GetStatus(FtdiHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                 std::uint32_t& eventStatus) = 0;
    // Reads `count` bytes or fewer when the read time-out expires first; `read` tells how many.
    virtual FtdiStatus Read(FtdiHandle handle, void* buffer, std::uint32_t count,
                            std::uint32_t& read) = 0;
    virtual FtdiStatus Write(FtdiHandle handle, const void* buffer, std::uint32_t count,
                             std::uint32_t& written) = 0;
    virtual FtdiStatus Close(FtdiHandle handle) = 0;
};

// The backend every FTDI transport of the process goes through: the one installed by
// SetFtdiApi, else this platform's built-in one. Thread-safe.
FtdiApi& GetFtdiApi();
// Installs `api` (null: the built-in backend again) and returns the one installed before (null
// for the built-in). The caller keeps `api` alive while it is installed or has open handles.
FtdiApi* SetFtdiApi(FtdiApi* api);
// This platform's own backend.
FtdiApi& BuiltInFtdiApi();

} // namespace tarvex
