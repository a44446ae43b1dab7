#pragma once

#include "transport/FtdiApi.h"
#include "transport/SerialDevice.h"
#include "transport/SerialPortList.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tarvex {

// FTDI adapters as the OS exposes them, as serial ports: the device list holds the ports of
// USB ID 0403:6001, and an open device is a SerialDevice configured call by call. The machine's
// adapters on POSIX; on every platform, a serial device named by the user presented as one.
class FtdiSerialBackend final : public FtdiApi {
public:
    using PortLister = std::function<std::vector<SerialPortInfo>()>;

    explicit FtdiSerialBackend(PortLister lister = ListSerialPorts);
    ~FtdiSerialBackend() override;

    static constexpr std::uint16_t kVendorId = 0x0403;
    static constexpr std::uint16_t kProductId = 0x6001;

    FtdiStatus CreateDeviceInfoList(std::uint32_t& count) override;
    FtdiStatus GetDeviceInfoList(FtdiDeviceInfoNode* nodes, std::uint32_t& count) override;
    FtdiStatus Open(int index, FtdiHandle& handle) override;
    FtdiStatus SetBaudRate(FtdiHandle handle, std::uint32_t baud) override;
    FtdiStatus SetDataCharacteristics(FtdiHandle handle, std::uint8_t wordLength,
                                      std::uint8_t stopBits, std::uint8_t parity) override;
    FtdiStatus SetFlowControl(FtdiHandle handle, std::uint16_t mode, std::uint8_t xon,
                              std::uint8_t xoff) override;
    FtdiStatus SetLatencyTimer(FtdiHandle handle, std::uint8_t ms) override;
    FtdiStatus SetTimeouts(FtdiHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
    FtdiStatus GetStatus(FtdiHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                         std::uint32_t& eventStatus) override;
    FtdiStatus Read(FtdiHandle handle, void* buffer, std::uint32_t count,
                    std::uint32_t& read) override;
    FtdiStatus Write(FtdiHandle handle, const void* buffer, std::uint32_t count,
                     std::uint32_t& written) override;
    FtdiStatus Close(FtdiHandle handle) override;

private:
    struct OpenAdapter {
        std::string path;
        std::unique_ptr<SerialDevice> device;
        SerialLineSettings line;
        std::uint32_t readMs = 0;
        std::uint32_t writeMs = 0;
    };

    std::shared_ptr<OpenAdapter> Find(FtdiHandle handle) const;
    FtdiStatus Reconfigure(FtdiHandle handle,
                           const std::function<bool(SerialLineSettings&)>& change);

    PortLister lister_;
    mutable std::mutex mutex_;
    std::vector<SerialPortInfo> adapters_; // as of the last CreateDeviceInfoList
    std::map<FtdiHandle, std::shared_ptr<OpenAdapter>> open_;
};

} // namespace tarvex
