#include "transport/FtdiSerialBackend.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tarvex {
namespace {

template <std::size_t N> void CopyText(char (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::uint32_t Clamp32(std::size_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::size_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

} // namespace

FtdiSerialBackend::FtdiSerialBackend(PortLister lister) : lister_(std::move(lister)) {}

FtdiSerialBackend::~FtdiSerialBackend() = default;

std::shared_ptr<FtdiSerialBackend::OpenAdapter> FtdiSerialBackend::Find(FtdiHandle handle) const {
    std::lock_guard lock(mutex_);
    auto found = open_.find(handle);
    return found == open_.end() ? nullptr : found->second;
}

FtdiStatus FtdiSerialBackend::CreateDeviceInfoList(std::uint32_t& count) {
    std::vector<SerialPortInfo> adapters;
    for (auto& port : lister_())
        if (port.isUsb && port.usbVendorId == kVendorId && port.usbProductId == kProductId)
            adapters.push_back(std::move(port));
    std::lock_guard lock(mutex_);
    adapters_ = std::move(adapters);
    count = Clamp32(adapters_.size());
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::GetDeviceInfoList(FtdiDeviceInfoNode* nodes, std::uint32_t& count) {
    if (nodes == nullptr)
        return kFtInvalidParameter;
    std::lock_guard lock(mutex_);
    const std::size_t filled = std::min<std::size_t>(count, adapters_.size());
    for (std::size_t i = 0; i < filled; ++i) {
        const SerialPortInfo& port = adapters_[i];
        FtdiDeviceInfoNode node;
        node.id = std::uint32_t{port.usbVendorId} << 16 | port.usbProductId;
        node.locId = port.usbLocation;
        CopyText(node.serialNumber, port.usbSerial);
        CopyText(node.description, port.usbProduct);
        for (const auto& [handle, adapter] : open_) {
            if (adapter->path == port.name) {
                node.flags |= kFtFlagOpened;
                node.handle = handle;
            }
        }
        nodes[i] = node;
    }
    count = Clamp32(filled);
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::Open(int index, FtdiHandle& handle) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= adapters_.size())
        return kFtDeviceNotFound;
    const std::string& path = adapters_[static_cast<std::size_t>(index)].name;
    // The exclusive open of a tty does not hold for a privileged process; refuse a second
    // handle on one adapter here as the driver does.
    for (const auto& entry : open_)
        if (entry.second->path == path)
            return kFtDeviceNotOpened;
    auto adapter = std::make_shared<OpenAdapter>();
    adapter->path = path;
    adapter->device = OpenSerialDevice(path);
    if (!adapter->device)
        return kFtDeviceNotOpened;
    // Raw from the start, so that nothing the laser sends is taken for line discipline.
    adapter->line.rtsCtsFlow = false;
    if (!adapter->device->Configure(adapter->line))
        return kFtIoError;
    handle = adapter.get();
    open_.emplace(handle, std::move(adapter));
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::Reconfigure(FtdiHandle handle,
                                          const std::function<bool(SerialLineSettings&)>& change) {
    auto adapter = Find(handle);
    if (!adapter)
        return kFtInvalidHandle;
    SerialLineSettings line = adapter->line;
    if (!change(line))
        return kFtInvalidParameter;
    if (!adapter->device->Configure(line))
        return kFtIoError;
    adapter->line = line;
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::SetBaudRate(FtdiHandle handle, std::uint32_t baud) {
    if (!IsSupportedBaud(baud))
        return Find(handle) ? kFtInvalidBaudRate : kFtInvalidHandle;
    return Reconfigure(handle, [baud](SerialLineSettings& line) {
        line.baud = baud;
        return true;
    });
}

FtdiStatus FtdiSerialBackend::SetDataCharacteristics(FtdiHandle handle, std::uint8_t wordLength,
                                                     std::uint8_t stopBits, std::uint8_t parity) {
    return Reconfigure(handle, [=](SerialLineSettings& line) {
        if (wordLength != kFtBits7 && wordLength != kFtBits8)
            return false;
        if (stopBits != kFtStopBits1 && stopBits != kFtStopBits2)
            return false;
        switch (parity) {
        case kFtParityNone:
            line.parity = 'N';
            break;
        case kFtParityOdd:
            line.parity = 'O';
            break;
        case kFtParityEven:
            line.parity = 'E';
            break;
        default:
            return false; // mark and space are not among the line settings
        }
        line.dataBits = wordLength;
        line.stopBits = stopBits == kFtStopBits2 ? 2 : 1;
        return true;
    });
}

FtdiStatus FtdiSerialBackend::SetFlowControl(FtdiHandle handle, std::uint16_t mode, std::uint8_t,
                                             std::uint8_t) {
    return Reconfigure(handle, [mode](SerialLineSettings& line) {
        if (mode != kFtFlowNone && mode != kFtFlowRtsCts)
            return false;
        line.rtsCtsFlow = mode == kFtFlowRtsCts;
        return true;
    });
}

FtdiStatus FtdiSerialBackend::SetLatencyTimer(FtdiHandle handle, std::uint8_t ms) {
    auto adapter = Find(handle);
    if (!adapter)
        return kFtInvalidHandle;
    // The kernel driver's default of 16 ms would hold back every reply that long; writing the
    // timer needs permission on the sysfs file, which not every installation grants.
    return adapter->device->SetLatencyTimer(ms) ? kFtOk : kFtIoError;
}

FtdiStatus FtdiSerialBackend::SetTimeouts(FtdiHandle handle, std::uint32_t readMs,
                                          std::uint32_t writeMs) {
    auto adapter = Find(handle);
    if (!adapter)
        return kFtInvalidHandle;
    adapter->readMs = readMs;
    adapter->writeMs = writeMs;
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::GetStatus(FtdiHandle handle, std::uint32_t& rxQueue,
                                        std::uint32_t& txQueue, std::uint32_t& eventStatus) {
    auto adapter = Find(handle);
    if (!adapter)
        return kFtInvalidHandle;
    rxQueue = Clamp32(adapter->device->BytesAvailable());
    txQueue = 0;
    eventStatus = 0;
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::Read(FtdiHandle handle, void* buffer, std::uint32_t count,
                                   std::uint32_t& read) {
    read = 0;
    auto adapter = Find(handle);
    if (!adapter)
        return kFtInvalidHandle;
    // The time-out bounds the whole read, however the bytes trickle in.
    const SerialReadLimits limits{0, 0, adapter->readMs};
    read = Clamp32(adapter->device->Read(static_cast<std::uint8_t*>(buffer), count, limits));
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::Write(FtdiHandle handle, const void* buffer, std::uint32_t count,
                                    std::uint32_t& written) {
    written = 0;
    auto adapter = Find(handle);
    if (!adapter)
        return kFtInvalidHandle;
    written = Clamp32(
        adapter->device->Write(static_cast<const std::uint8_t*>(buffer), count, adapter->writeMs));
    return kFtOk;
}

FtdiStatus FtdiSerialBackend::Close(FtdiHandle handle) {
    std::shared_ptr<OpenAdapter> adapter;
    {
        std::lock_guard lock(mutex_);
        auto found = open_.find(handle);
        if (found == open_.end())
            return kFtInvalidHandle;
        adapter = std::move(found->second);
        open_.erase(found);
    }
    return kFtOk; // the device closes with the last reference
}

} // namespace tarvex
