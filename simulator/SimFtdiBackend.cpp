#include "SimFtdiBackend.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tarvex::sim {
namespace {

template <std::size_t N> void CopyText(char (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string Call(const char* name) {
    return name;
}

template <typename... Args> std::string Call(const char* format, Args... args) {
    char line[96];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

} // namespace

SimFtdiBackend::SimFtdiBackend(Clock& clock) : clock_(clock) {}

SimFtdiBackend::~SimFtdiBackend() = default;

std::size_t SimFtdiBackend::AddDevice(SimFtdiDevice device) {
    std::lock_guard lock(mutex_);
    devices_.push_back(Device{std::move(device), {}, {}});
    return devices_.size() - 1;
}

void SimFtdiBackend::SetFailOpen(std::size_t index, bool fail) {
    std::lock_guard lock(mutex_);
    devices_.at(index).config.failOpen = fail;
}

void SimFtdiBackend::SetListStatus(FtdiStatus status) {
    std::lock_guard lock(mutex_);
    listStatus_ = status;
}

void SimFtdiBackend::Inject(std::size_t index, std::vector<std::uint8_t> bytes,
                            std::uint32_t delayMs) {
    std::lock_guard lock(mutex_);
    Queue(devices_.at(index), std::move(bytes), delayMs);
}

SimFtdiBackend::DeviceState SimFtdiBackend::State(std::size_t index) const {
    std::lock_guard lock(mutex_);
    const Device& device = devices_.at(index);
    DeviceState state = device.state;
    state.queued = Ready(device, clock_.NowMs());
    return state;
}

SimFtdiBackend::Device* SimFtdiBackend::Find(FtdiHandle handle) {
    auto found = handles_.find(handle);
    return found == handles_.end() ? nullptr : &devices_[found->second];
}

void SimFtdiBackend::Queue(Device& device, std::vector<std::uint8_t> bytes, std::uint32_t delayMs) {
    std::uint64_t readyAt = clock_.NowMs() + delayMs;
    // Bytes on one line cannot overtake those sent before them.
    if (!device.pending.empty())
        readyAt = std::max(readyAt, device.pending.back().readyAtMs);
    device.pending.push_back({std::move(bytes), 0, readyAt});
}

std::size_t SimFtdiBackend::Ready(const Device& device, std::uint64_t now) const {
    std::size_t total = 0;
    for (const auto& p : device.pending)
        if (p.readyAtMs <= now)
            total += p.bytes.size() - p.offset;
    return total;
}

void SimFtdiBackend::AdvanceTo(std::unique_lock<std::mutex>& lock, std::uint64_t ms) {
    lock.unlock();
    const std::uint64_t now = clock_.NowMs();
    if (ms > now) {
        if (auto* manual = dynamic_cast<ManualClock*>(&clock_))
            manual->Advance(ms - now);
        else
            clock_.SleepMs(static_cast<std::uint32_t>(ms - now));
    }
    lock.lock();
}

FtdiStatus SimFtdiBackend::CreateDeviceInfoList(std::uint32_t& count) {
    std::lock_guard lock(mutex_);
    if (listStatus_ != kFtOk)
        return listStatus_;
    listed_ = devices_.size();
    count = static_cast<std::uint32_t>(listed_);
    return kFtOk;
}

FtdiStatus SimFtdiBackend::GetDeviceInfoList(FtdiDeviceInfoNode* nodes, std::uint32_t& count) {
    std::lock_guard lock(mutex_);
    if (nodes == nullptr)
        return kFtInvalidParameter;
    const std::size_t filled = std::min<std::size_t>(count, listed_);
    for (std::size_t i = 0; i < filled; ++i) {
        const Device& device = devices_[i];
        FtdiDeviceInfoNode node;
        node.id = device.config.id;
        node.locId = device.config.locId;
        CopyText(node.serialNumber, device.config.serialNumber);
        CopyText(node.description, device.config.description);
        for (const auto& [handle, index] : handles_) {
            if (index == i) {
                node.flags |= kFtFlagOpened;
                node.handle = handle;
            }
        }
        nodes[i] = node;
    }
    count = static_cast<std::uint32_t>(filled);
    return kFtOk;
}

FtdiStatus SimFtdiBackend::Open(int index, FtdiHandle& handle) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= listed_)
        return kFtDeviceNotFound;
    Device& device = devices_[static_cast<std::size_t>(index)];
    device.state.calls.push_back(Call("Open"));
    if (device.config.failOpen || device.state.open)
        return kFtDeviceNotOpened;
    device.state.open = true;
    handle = reinterpret_cast<FtdiHandle>(nextHandle_++);
    handles_[handle] = static_cast<std::size_t>(index);
    return kFtOk;
}

FtdiStatus SimFtdiBackend::SetBaudRate(FtdiHandle handle, std::uint32_t baud) {
    std::lock_guard lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(Call("SetBaudRate %u", baud));
    device->state.baud = baud;
    return kFtOk;
}

FtdiStatus SimFtdiBackend::SetDataCharacteristics(FtdiHandle handle, std::uint8_t wordLength,
                                                  std::uint8_t stopBits, std::uint8_t parity) {
    std::lock_guard lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(Call("SetDataCharacteristics %u %u %u", unsigned{wordLength},
                                       unsigned{stopBits}, unsigned{parity}));
    device->state.wordLength = wordLength;
    device->state.stopBits = stopBits;
    device->state.parity = parity;
    return kFtOk;
}

FtdiStatus SimFtdiBackend::SetFlowControl(FtdiHandle handle, std::uint16_t mode, std::uint8_t xon,
                                          std::uint8_t xoff) {
    std::lock_guard lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(
        Call("SetFlowControl 0x%04x 0x%02x 0x%02x", unsigned{mode}, unsigned{xon}, unsigned{xoff}));
    device->state.flowControl = mode;
    device->state.xon = xon;
    device->state.xoff = xoff;
    return kFtOk;
}

FtdiStatus SimFtdiBackend::SetLatencyTimer(FtdiHandle handle, std::uint8_t ms) {
    std::lock_guard lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(Call("SetLatencyTimer %u", unsigned{ms}));
    device->state.latencyMs = ms;
    return kFtOk;
}

FtdiStatus SimFtdiBackend::SetTimeouts(FtdiHandle handle, std::uint32_t readMs,
                                       std::uint32_t writeMs) {
    std::lock_guard lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(Call("SetTimeouts %u %u", readMs, writeMs));
    device->state.readTimeoutMs = readMs;
    device->state.writeTimeoutMs = writeMs;
    return kFtOk;
}

FtdiStatus SimFtdiBackend::GetStatus(FtdiHandle handle, std::uint32_t& rxQueue,
                                     std::uint32_t& txQueue, std::uint32_t& eventStatus) {
    std::lock_guard lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(Call("GetStatus"));
    rxQueue = static_cast<std::uint32_t>(Ready(*device, clock_.NowMs()));
    txQueue = 0;
    eventStatus = 0;
    return kFtOk;
}

FtdiStatus SimFtdiBackend::Read(FtdiHandle handle, void* buffer, std::uint32_t count,
                                std::uint32_t& read) {
    read = 0;
    std::unique_lock lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(Call("Read %u", count));
    // A time-out of 0 waits for as long as it takes; here that means for whatever is on its
    // way, since nothing else will ever come.
    const std::uint32_t timeout = device->state.readTimeoutMs;
    const std::uint64_t deadline = clock_.NowMs() + timeout;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (read < count) {
        device = Find(handle);
        if (!device)
            break; // closed meanwhile
        if (device->pending.empty()) {
            if (timeout != 0)
                AdvanceTo(lock, deadline);
            break;
        }
        Pending& head = device->pending.front();
        const std::uint64_t now = clock_.NowMs();
        if (head.readyAtMs > now) {
            if (timeout != 0 && head.readyAtMs > deadline) {
                AdvanceTo(lock, deadline);
                break;
            }
            AdvanceTo(lock, head.readyAtMs);
            continue;
        }
        const std::size_t take =
            std::min<std::size_t>(count - read, head.bytes.size() - head.offset);
        std::memcpy(out + read, head.bytes.data() + head.offset, take);
        read += static_cast<std::uint32_t>(take);
        head.offset += take;
        if (head.offset == head.bytes.size())
            device->pending.pop_front();
    }
    return kFtOk;
}

FtdiStatus SimFtdiBackend::Write(FtdiHandle handle, const void* buffer, std::uint32_t count,
                                 std::uint32_t& written) {
    written = 0;
    std::lock_guard lock(mutex_);
    Device* device = Find(handle);
    if (!device)
        return kFtInvalidHandle;
    device->state.calls.push_back(Call("Write %u", count));
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    device->state.written.insert(device->state.written.end(), bytes, bytes + count);
    const bool lineMatches =
        device->config.onlyAtBaud == 0 || device->config.onlyAtBaud == device->state.baud;
    if (device->config.link && lineMatches) {
        for (auto& output : device->config.link->OnStreamBytes(bytes, count))
            Queue(*device, std::move(output.bytes), output.delayMs);
    }
    written = count;
    return kFtOk;
}

FtdiStatus SimFtdiBackend::Close(FtdiHandle handle) {
    std::lock_guard lock(mutex_);
    auto found = handles_.find(handle);
    if (found == handles_.end())
        return kFtInvalidHandle;
    Device& device = devices_[found->second];
    device.state.calls.push_back(Call("Close"));
    device.state.open = false;
    device.pending.clear();
    handles_.erase(found);
    return kFtOk;
}

} // namespace tarvex::sim
