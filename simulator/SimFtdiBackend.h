#pragma once

#include "Clock.h"
#include "SimLink.h"
#include "transport/FtdiApi.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tarvex::sim {

// An attached USB adapter as the simulated backend presents it.
struct SimFtdiDevice {
    std::uint32_t id = 0x04036001;
    std::string description = "Tarvex";
    std::string serialNumber;
    std::uint32_t locId = 0;
    // The laser's end of the link; null for a device that swallows what it is sent and never
    // answers.
    SimLink* link = nullptr;
    // The one baud rate the laser's line runs at (0: any); at another rate it makes nothing of
    // what it is sent and answers nothing.
    std::uint32_t onlyAtBaud = 0;
    bool failOpen = false;
};

// The FTDI backend over simulated devices, on the given clock: a read that has to wait for a
// reply, or times out, moves a ManualClock on instead of sleeping. Every call on a device is
// recorded so that tests can check what the host asked of it.
class SimFtdiBackend final : public FtdiApi {
public:
    explicit SimFtdiBackend(Clock& clock);
    ~SimFtdiBackend() override;

    SimFtdiBackend(const SimFtdiBackend&) = delete;
    SimFtdiBackend& operator=(const SimFtdiBackend&) = delete;

    // Attaches a device; returns its index in the device lists taken from now on.
    std::size_t AddDevice(SimFtdiDevice device);
    void SetFailOpen(std::size_t index, bool fail);
    // Makes CreateDeviceInfoList fail with `status` (kFtOk: succeed again).
    void SetListStatus(FtdiStatus status);
    // Bytes the device sends unasked (noise, a late reply), arriving `delayMs` from now.
    void Inject(std::size_t index, std::vector<std::uint8_t> bytes, std::uint32_t delayMs = 0);

    struct DeviceState {
        bool open = false;
        std::uint32_t baud = 0;
        std::uint8_t wordLength = 0;
        std::uint8_t stopBits = 0;
        std::uint8_t parity = 0;
        std::uint16_t flowControl = 0;
        std::uint8_t xon = 0;
        std::uint8_t xoff = 0;
        std::uint8_t latencyMs = 0;
        std::uint32_t readTimeoutMs = 0;
        std::uint32_t writeTimeoutMs = 0;
        // Every call on the device in order, as "SetBaudRate 921600", "Read 12", "Close".
        std::vector<std::string> calls;
        // Every byte the host wrote.
        std::vector<std::uint8_t> written;
        // Bytes that have arrived and wait to be read.
        std::size_t queued = 0;
    };
    DeviceState State(std::size_t index) const;

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
    struct Pending {
        std::vector<std::uint8_t> bytes;
        std::size_t offset = 0;
        std::uint64_t readyAtMs = 0;
    };
    struct Device {
        SimFtdiDevice config;
        DeviceState state;
        std::deque<Pending> pending;
    };

    // Caller holds the lock. Null for a handle that is not open.
    Device* Find(FtdiHandle handle);
    void Queue(Device& device, std::vector<std::uint8_t> bytes, std::uint32_t delayMs);
    std::size_t Ready(const Device& device, std::uint64_t now) const;
    // Moves the clock to `ms`, without holding the lock (clock listeners may call back).
    void AdvanceTo(std::unique_lock<std::mutex>& lock, std::uint64_t ms);

    Clock& clock_;
    mutable std::mutex mutex_;
    std::deque<Device> devices_; // stable addresses while devices are added
    std::size_t listed_ = 0;     // devices in the last list taken
    FtdiStatus listStatus_ = kFtOk;
    std::map<FtdiHandle, std::size_t> handles_;
    std::uintptr_t nextHandle_ = 0x5100;
};

} // namespace tarvex::sim
