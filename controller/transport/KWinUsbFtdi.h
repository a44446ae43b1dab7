#pragma once

#include "transport/FtdiApi.h"
#include "transport/KWinTransport.h"

#include <cstdint>
#include <vector>

namespace tarvex {

// The SDK's transport: the laser's USB serial adapter driven call by call through the FTDI
// backend. Reads return after at most the read time-out with the count that came.
class KWinUsbFtdi final : public KWinTransport {
public:
    // The adapter the laser ships with, and the product name its EEPROM carries.
    static constexpr std::uint32_t kLaserDeviceId = 0x04036001;
    static constexpr const char* kLaserDescription = "Tarvex";

    // Rebuilds the process-wide device list.
    KWinUsbFtdi();
    ~KWinUsbFtdi() override;

    KWinUsbFtdi(const KWinUsbFtdi&) = delete;
    KWinUsbFtdi& operator=(const KWinUsbFtdi&) = delete;

    // Opens the device at `index` of the device list, which must be the laser's adapter and,
    // when `requireDescription`, carry the laser's name; an open device is closed first.
    bool Open(std::uint32_t baud, int index, bool requireDescription);
    bool IsOpen() const { return open_; }
    std::uint32_t ReadTimeoutMs() const { return readTimeoutMs_; }
    std::uint32_t WriteTimeoutMs() const { return writeTimeoutMs_; }

    // Takes a new snapshot of the attached devices for the whole process; returns the status
    // of the backend's list calls.
    static FtdiStatus RefreshDeviceList();
    // Devices in the last good snapshot, 0 when the last refresh failed.
    static std::uint16_t GetDeviceCount();
    // A copy of the last good snapshot (empty when the last refresh failed).
    static std::vector<FtdiDeviceInfoNode> GetDeviceList();

    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    void Close() override;
    // Reads and drops what waits in the receive queue. Always 0.
    int Purge() override;
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override;
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override;
    std::size_t BytesAvailable() override;
    bool IsUsb() const override { return true; }

private:
    FtdiApi* api_ = nullptr; // the backend the device was opened through
    FtdiHandle handle_ = nullptr;
    bool open_ = false;
    std::uint32_t readTimeoutMs_ = 1000;
    std::uint32_t writeTimeoutMs_ = 1000;
};

} // namespace tarvex
