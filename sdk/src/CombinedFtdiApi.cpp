#include "CombinedFtdiApi.h"

#include <algorithm>
#include <vector>

namespace tarvex::sdk {

CombinedFtdiApi::Opened CombinedFtdiApi::Find(FtdiHandle handle) const {
    std::lock_guard lock(mutex_);
    const auto found = open_.find(handle);
    return found == open_.end() ? Opened{} : found->second;
}

FtdiStatus CombinedFtdiApi::CreateDeviceInfoList(std::uint32_t& count) {
    std::uint32_t listed[2] = {0, 0};
    FtdiStatus status[2];
    for (int part = 0; part < 2; ++part) {
        status[part] = parts_[part]->CreateDeviceInfoList(listed[part]);
        if (status[part] != kFtOk)
            listed[part] = 0;
    }
    std::lock_guard lock(mutex_);
    listed_[0] = listed[0];
    listed_[1] = listed[1];
    count = listed[0] + listed[1];
    return status[0] == kFtOk || status[1] == kFtOk ? kFtOk : status[0];
}

FtdiStatus CombinedFtdiApi::GetDeviceInfoList(FtdiDeviceInfoNode* nodes, std::uint32_t& count) {
    if (nodes == nullptr)
        return kFtInvalidParameter;
    std::uint32_t listed[2];
    {
        std::lock_guard lock(mutex_);
        listed[0] = listed_[0];
        listed[1] = listed_[1];
    }
    std::uint32_t room = count;
    std::uint32_t filled = 0;
    for (int part = 0; part < 2 && room > 0; ++part) {
        const std::uint32_t wanted = std::min(listed[part], room);
        // A part that fills fewer nodes than it counted leaves empty ones (which no transport
        // opens), so that every index stays with its part.
        std::vector<FtdiDeviceInfoNode> partNodes(wanted);
        std::uint32_t got = wanted;
        if (wanted > 0 && parts_[part]->GetDeviceInfoList(partNodes.data(), got) != kFtOk)
            partNodes.assign(wanted, FtdiDeviceInfoNode{});
        std::lock_guard lock(mutex_);
        for (auto& node : partNodes) {
            if (node.handle != nullptr) {
                for (const auto& [ours, opened] : open_)
                    if (opened.part == parts_[part] && opened.inner == node.handle)
                        node.handle = ours;
            }
            nodes[filled++] = node;
        }
        room -= static_cast<std::uint32_t>(partNodes.size());
    }
    count = filled;
    return kFtOk;
}

FtdiStatus CombinedFtdiApi::Open(int index, FtdiHandle& handle) {
    std::uint32_t firstCount;
    {
        std::lock_guard lock(mutex_);
        firstCount = listed_[0];
    }
    if (index < 0)
        return kFtDeviceNotFound;
    const bool inFirst = static_cast<std::uint32_t>(index) < firstCount;
    FtdiApi& part = *parts_[inFirst ? 0 : 1];
    FtdiHandle inner = nullptr;
    const FtdiStatus status =
        part.Open(inFirst ? index : index - static_cast<int>(firstCount), inner);
    if (status != kFtOk)
        return status;
    std::lock_guard lock(mutex_);
    handle = reinterpret_cast<FtdiHandle>(nextHandle_++);
    open_[handle] = Opened{&part, inner};
    return kFtOk;
}

FtdiStatus CombinedFtdiApi::SetBaudRate(FtdiHandle handle, std::uint32_t baud) {
    return Forward(handle, [&](FtdiApi& api, FtdiHandle h) { return api.SetBaudRate(h, baud); });
}

FtdiStatus CombinedFtdiApi::SetDataCharacteristics(FtdiHandle handle, std::uint8_t wordLength,
                                                   std::uint8_t stopBits, std::uint8_t parity) {
    return Forward(handle, [&](FtdiApi& api, FtdiHandle h) {
        return api.SetDataCharacteristics(h, wordLength, stopBits, parity);
    });
}

FtdiStatus CombinedFtdiApi::SetFlowControl(FtdiHandle handle, std::uint16_t mode, std::uint8_t xon,
                                           std::uint8_t xoff) {
    return Forward(
        handle, [&](FtdiApi& api, FtdiHandle h) { return api.SetFlowControl(h, mode, xon, xoff); });
}

FtdiStatus CombinedFtdiApi::SetLatencyTimer(FtdiHandle handle, std::uint8_t ms) {
    return Forward(handle, [&](FtdiApi& api, FtdiHandle h) { return api.SetLatencyTimer(h, ms); });
}

FtdiStatus CombinedFtdiApi::SetTimeouts(FtdiHandle handle, std::uint32_t readMs,
                                        std::uint32_t writeMs) {
    return Forward(handle,
                   [&](FtdiApi& api, FtdiHandle h) { return api.SetTimeouts(h, readMs, writeMs); });
}

FtdiStatus CombinedFtdiApi::GetStatus(FtdiHandle handle, std::uint32_t& rxQueue,
                                      std::uint32_t& txQueue, std::uint32_t& eventStatus) {
    return Forward(handle, [&](FtdiApi& api, FtdiHandle h) {
        return api.GetStatus(h, rxQueue, txQueue, eventStatus);
    });
}

FtdiStatus CombinedFtdiApi::Read(FtdiHandle handle, void* buffer, std::uint32_t count,
                                 std::uint32_t& read) {
    read = 0;
    return Forward(handle,
                   [&](FtdiApi& api, FtdiHandle h) { return api.Read(h, buffer, count, read); });
}

FtdiStatus CombinedFtdiApi::Write(FtdiHandle handle, const void* buffer, std::uint32_t count,
                                  std::uint32_t& written) {
    written = 0;
    return Forward(
        handle, [&](FtdiApi& api, FtdiHandle h) { return api.Write(h, buffer, count, written); });
}

FtdiStatus CombinedFtdiApi::Close(FtdiHandle handle) {
    Opened opened;
    {
        std::lock_guard lock(mutex_);
        const auto found = open_.find(handle);
        if (found == open_.end())
            return kFtInvalidHandle;
        opened = found->second;
        open_.erase(found);
    }
    return opened.part->Close(opened.inner);
}

} // namespace tarvex::sdk
