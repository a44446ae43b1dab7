#pragma once

#include "transport/FtdiApi.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace tarvex::sdk {

// One FTDI backend made of two: the devices of `first` followed by those of `second`, so that a
// device of another kind can join the machine's adapters in one search. Handles are its own and
// lead to the backend that opened the device. Thread-safe as far as its parts are.
class CombinedFtdiApi final : public FtdiApi {
public:
    CombinedFtdiApi(FtdiApi& first, FtdiApi& second) : parts_{&first, &second} {}

    // A part whose list fails contributes no device; the list fails only when both do.
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
    struct Opened {
        FtdiApi* part = nullptr;
        FtdiHandle inner = nullptr;
    };
    // The part and its handle behind one of ours; a null part for a handle that is not open.
    Opened Find(FtdiHandle handle) const;
    template <typename Call> FtdiStatus Forward(FtdiHandle handle, Call call) const {
        const Opened opened = Find(handle);
        return opened.part ? call(*opened.part, opened.inner) : kFtInvalidHandle;
    }

    FtdiApi* parts_[2];
    mutable std::mutex mutex_;
    std::uint32_t listed_[2] = {0, 0}; // devices of each part in the last list taken
    std::map<FtdiHandle, Opened> open_;
    std::uintptr_t nextHandle_ = 0x7A00;
};

} // namespace tarvex::sdk
