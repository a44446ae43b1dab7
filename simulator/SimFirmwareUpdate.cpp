#include "SimLaser.h"
#include "codec/ByteOrder.h"
#include "codec/Crc.h"

#include <algorithm>

namespace tarvex::sim {
namespace {

constexpr std::uint16_t kStatusRefused = 1;

constexpr std::uint8_t kFrameRejected = 0;
// The boot loader drops a partial frame after a pause, as the packet receiver does.
constexpr std::uint64_t kRawResetMs = 100;

constexpr std::uint8_t kMotionBoardUpdate = 4;

bool IsControllerUpdate(std::uint8_t type) {
    return type == 1 || type == 2;
}

// Lays data down at its address; false, with nothing stored, when it would reach past the flash.
bool Store(std::vector<std::uint8_t>& image, std::uint32_t address, const std::uint8_t* data,
           std::size_t n) {
    if (std::size_t{address} + n > kLargestFirmwareImage)
        return false;
    if (image.size() < address + n)
        image.resize(address + n, 0);
    std::copy_n(data, n, image.begin() + static_cast<std::ptrdiff_t>(address));
    return true;
}

bool Take(int& count) {
    if (count <= 0)
        return false;
    --count;
    return true;
}

// One complete frame: stores a data frame, ends the update on the end frame, and answers.
void TakeFrame(FirmwareUpdateSimState& update, const std::uint8_t* frame, std::size_t n,
               std::vector<SimEmission>& out) {
    const std::uint32_t address = be::GetU32(frame + 1);
    const std::uint8_t* data = frame + fw_frame::kHeaderSize;
    const bool intact =
        Crc8(frame, static_cast<std::uint16_t>(n + 5)) == frame[fw_frame::kHeaderSize + n];
    if (n == 0) {
        if (!intact) {
            ++update.badFrames;
            out.push_back({{kFrameRejected}, 0});
            return;
        }
        update.endAddress = address;
        update.rawMode = false;
        update.type = 0;
        out.push_back({{update.faults.endReply.value_or(fw_frame::kEndAccepted)}, 0});
        return;
    }
    if (!intact) {
        ++update.badFrames;
        out.push_back({{kFrameRejected, 0}, 0});
        return;
    }
    if (Take(update.faults.silentFrames))
        return;
    if (!Store(update.image, address, data, n)) {
        ++update.framesPastFlash;
        out.push_back({{kFrameRejected, 0}, 0});
        return;
    }
    update.writes.emplace_back(address, static_cast<std::uint32_t>(n));
    std::uint8_t crc = Crc8(data, static_cast<std::uint16_t>(n));
    if (Take(update.faults.corruptReplies))
        crc = static_cast<std::uint8_t>(crc ^ 0x5A);
    out.push_back({{fw_frame::kStart, crc}, 0});
}

} // namespace

void SimLaser::RegisterFirmwareUpdateHandlers() {
    handlers_[kExecFirmwareUpdateCmd] = [this](const SimRequest& request, SimReply& reply) {
        const std::uint8_t type = request.payload[0];
        if (!IsControllerUpdate(type) && type != kMotionBoardUpdate) {
            reply.status = kStatusRefused;
            return;
        }
        auto& update = state_.config.firmwareUpdate;
        update.type = type;
        update.rawMode = IsControllerUpdate(type);
        update.pending.clear();
        update.image.clear();
        update.motionImage.clear();
        update.writes.clear();
        update.endAddress.reset();
        // The ready byte follows the response once the flash is erased.
        if (!update.faults.neverReady)
            reply.after.push_back({{fw_frame::kReady}, update.eraseMs});
    };

    handlers_[kWriteMbFwDataCmd] = [this](const SimRequest& request, SimReply& reply) {
        auto& update = state_.config.firmwareUpdate;
        const std::uint32_t offset = be::GetU32(request.payload.data());
        const std::uint32_t length = be::GetU32(request.payload.data() + 4);
        std::copy_n(request.payload.begin(), 8, reply.payload.begin());
        if (update.type != kMotionBoardUpdate || length > kMbFwBlockSize ||
            Take(update.faults.failBlocks))
            return; // byte 8 stays 0: refused
        if (!Store(update.motionImage, offset, request.payload.data() + 8, length)) {
            ++update.framesPastFlash;
            return;
        }
        update.writes.emplace_back(offset, length);
        reply.payload[8] = 1;
    };
}

bool SimLaser::InRawMode() const {
    std::lock_guard lock(mutex_);
    return state_.config.firmwareUpdate.rawMode;
}

std::vector<SimEmission> SimLaser::ProcessRaw(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(mutex_);
    const std::uint64_t now = clock_.NowMs();
    AdvanceTo(now);
    auto& update = state_.config.firmwareUpdate;
    auto& pending = update.pending;
    if (!pending.empty() && now - update.lastRawByteMs > kRawResetMs)
        pending.clear();
    update.lastRawByteMs = now;
    pending.insert(pending.end(), bytes, bytes + count);

    std::vector<SimEmission> out;
    while (update.rawMode && !pending.empty()) {
        // Anything that cannot start a frame is skipped until something can.
        if (pending[0] != fw_frame::kStart ||
            (pending.size() >= fw_frame::kHeaderSize && pending[5] > fw_frame::kMaxData)) {
            pending.erase(pending.begin());
            continue;
        }
        if (pending.size() < fw_frame::kHeaderSize)
            break;
        const std::size_t n = pending[5];
        const std::size_t size = fw_frame::kHeaderSize + n + 1;
        if (pending.size() < size)
            break;
        TakeFrame(update, pending.data(), n, out);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(size));
    }
    return out;
}

} // namespace tarvex::sim
