#pragma once

#include "transport/FtdiApi.h"

#include <memory>
#include <mutex>
#include <string>

namespace tarvex {

// The USB adapter's driver library, loaded at run time by name and called through the functions
// it exports, looked up one by one. Nothing of it is linked: a machine without the driver runs
// everything else, and every call here then answers kFtDriverNotInstalled. Thread-safe.
class D2xxLibrary final : public FtdiApi {
public:
    static constexpr const wchar_t* kDefaultName = L"FTD2XX.dll";

    // Loads nothing yet: the library is looked for at the first call.
    explicit D2xxLibrary(std::wstring name = kDefaultName);
    ~D2xxLibrary() override;
    D2xxLibrary(const D2xxLibrary&) = delete;
    D2xxLibrary& operator=(const D2xxLibrary&) = delete;

    // Whether the library was found with every function the transport calls.
    bool Installed();

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

    struct Functions;

private:
    // The library's functions, null when it is not installed.
    const Functions* Library();

    std::wstring name_;
    std::once_flag loaded_;
    void* module_ = nullptr;
    std::unique_ptr<Functions> functions_;
};

} // namespace tarvex
