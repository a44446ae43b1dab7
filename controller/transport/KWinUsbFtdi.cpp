#include "transport/KWinUsbFtdi.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <mutex>
#include <string_view>

namespace tarvex {
namespace {

// The device list belongs to the process: the SDK's connection search refreshes it while
// another transport of the same process may be opening a device.
struct DeviceList {
    std::mutex mutex;
    std::vector<FtdiDeviceInfoNode> nodes;
    bool valid = false;
};

DeviceList& Devices() {
    static DeviceList list;
    return list;
}

std::uint32_t Clamp32(std::size_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::size_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

bool HasDescription(const FtdiDeviceInfoNode& node, std::string_view wanted) {
    // The whole field up to its terminating zero must match: "Tarvex2" is another product.
    const char* end = std::find(std::begin(node.description), std::end(node.description), '\0');
    return end != std::end(node.description) &&
           std::string_view(node.description, static_cast<std::size_t>(end - node.description)) ==
               wanted;
}

} // namespace

KWinUsbFtdi::KWinUsbFtdi() {
    RefreshDeviceList();
}

KWinUsbFtdi::~KWinUsbFtdi() {
    Close();
}

FtdiStatus KWinUsbFtdi::RefreshDeviceList() {
    DeviceList& list = Devices();
    std::lock_guard lock(list.mutex);
    list.valid = false;
    FtdiApi& api = GetFtdiApi();
    std::uint32_t count = 0;
    FtdiStatus status = api.CreateDeviceInfoList(count);
    if (status != kFtOk)
        return status;
    std::vector<FtdiDeviceInfoNode> nodes(count);
    status = api.GetDeviceInfoList(nodes.data(), count);
    nodes.resize(std::min<std::size_t>(count, nodes.size()));
    list.nodes = std::move(nodes);
    list.valid = status == kFtOk;
    return status;
}

std::uint16_t KWinUsbFtdi::GetDeviceCount() {
    DeviceList& list = Devices();
    std::lock_guard lock(list.mutex);
    return list.valid ? static_cast<std::uint16_t>(std::min<std::size_t>(list.nodes.size(), 0xFFFF))
                      : 0;
}

std::vector<FtdiDeviceInfoNode> KWinUsbFtdi::GetDeviceList() {
    DeviceList& list = Devices();
    std::lock_guard lock(list.mutex);
    return list.valid ? list.nodes : std::vector<FtdiDeviceInfoNode>{};
}

bool KWinUsbFtdi::Open(std::uint32_t baud, int index, bool requireDescription) {
    if (open_)
        Close();
    FtdiApi& api = GetFtdiApi();
    {
        DeviceList& list = Devices();
        std::lock_guard lock(list.mutex);
        if (!list.valid || index < 0 || static_cast<std::size_t>(index) >= list.nodes.size())
            return false;
        FtdiDeviceInfoNode& node = list.nodes[static_cast<std::size_t>(index)];
        if (node.id != kLaserDeviceId)
            return false;
        if (requireDescription && !HasDescription(node, kLaserDescription))
            return false;
        FtdiHandle opened = nullptr;
        if (api.Open(index, opened) != kFtOk || opened == nullptr)
            return false;
        node.handle = opened;
        handle_ = opened;
    }
    api_ = &api;
    open_ = true;
    // A refused setting shows up as a failed exchange later; the open itself stands.
    api.SetBaudRate(handle_, baud);
    api.SetDataCharacteristics(handle_, kFtBits8, kFtStopBits1, kFtParityNone);
    api.SetFlowControl(handle_, kFtFlowRtsCts, 0x11, 0x13);
    api.SetLatencyTimer(handle_, 2);
    api.SetTimeouts(handle_, readTimeoutMs_, writeTimeoutMs_);
    return true;
}

void KWinUsbFtdi::SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    readTimeoutMs_ = readMs;
    writeTimeoutMs_ = writeMs;
    if (open_)
        api_->SetTimeouts(handle_, readTimeoutMs_, writeTimeoutMs_);
}

void KWinUsbFtdi::Close() {
    if (!open_)
        return;
    const FtdiStatus status = api_->Close(handle_);
    open_ = false;
    if (status == kFtOk)
        handle_ = nullptr;
}

int KWinUsbFtdi::Purge() {
    if (!open_)
        return 0;
    std::uint32_t rx = 0, tx = 0, events = 0;
    if (api_->GetStatus(handle_, rx, tx, events) == kFtOk && rx > 0) {
        std::vector<std::uint8_t> scratch(rx);
        std::uint32_t read = 0;
        api_->Read(handle_, scratch.data(), rx, read);
    }
    return 0;
}

std::size_t KWinUsbFtdi::SendByteList(const std::uint8_t* bytes, std::size_t count) {
    if (!open_)
        return 0;
    // A failing status still reports how far the transfer got.
    std::uint32_t written = 0;
    api_->Write(handle_, bytes, Clamp32(count), written);
    return written;
}

std::size_t KWinUsbFtdi::ReadByteList(std::uint8_t* bytes, std::size_t count) {
    if (!open_)
        return 0;
    std::uint32_t read = 0;
    api_->Read(handle_, bytes, Clamp32(count), read);
    return read;
}

std::size_t KWinUsbFtdi::BytesAvailable() {
    if (!open_)
        return 0;
    std::uint32_t rx = 0, tx = 0, events = 0;
    return api_->GetStatus(handle_, rx, tx, events) == kFtOk ? rx : 0;
}

} // namespace tarvex
