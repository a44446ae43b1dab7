#include "KTarvexController.h"
#include "Trace.h"
#include "codec/ByteOrder.h"
#include "codec/Crc.h"

#include <algorithm>
#include <array>

namespace tarvex {
namespace {

constexpr std::uint32_t kUpdateReadTimeoutMs = 10000;

constexpr int kFrameAttempts = 10;
constexpr int kReplyReads = 10;

// Fills `frame` and returns its size. The frame's Crc8 covers its first n + 5 bytes, which
// leaves the last data byte out: that is what the laser's boot loader computes.
std::size_t BuildFrame(std::uint32_t address, const std::uint8_t* data, std::uint32_t n,
                       std::uint8_t* frame) {
    frame[0] = fw_frame::kStart;
    be::PutU32(frame + 1, address);
    frame[5] = static_cast<std::uint8_t>(n);
    std::copy_n(data, n, frame + fw_frame::kHeaderSize);
    frame[fw_frame::kHeaderSize + n] = Crc8(frame, static_cast<std::uint16_t>(n + 5));
    return fw_frame::kHeaderSize + n + 1;
}

// Reads exactly `count` bytes; false on a time-out, whichever way the transport reports it.
bool ReadExactly(KWinTransport& transport, std::uint8_t* bytes, std::size_t count) {
    try {
        return transport.ReadByteList(bytes, count) == count;
    } catch (const NoBytesToRead&) {
        return false;
    }
}

} // namespace

bool KTarvexController::ExecFirmwareUpdate(std::uint8_t type) {
    std::lock_guard lock(transactionMutex_);
    Trace("Firmware Update, Type = %u", type);
    SetHeartbeatPaused(true);
    KTarvexCommand command(kExecFirmwareUpdateCmd, kExecute);
    command.GetData()[0] = type;
    KTarvexCommand response;
    const bool ok = ExchangeWithReadTimeout(command, response, kUpdateReadTimeoutMs);
    // Once the laser has accepted, the link belongs to the transfer until it is finished.
    if (!ok)
        SetHeartbeatPaused(false);
    return ok;
}

bool KTarvexController::WaitForUpdateReady() {
    std::lock_guard lock(transactionMutex_);
    if (!transport_)
        return false;
    try {
        if (transport_->ReadByte() == fw_frame::kReady)
            return true;
    } catch (const NoBytesToRead&) {
        clock_->SleepMs(500);
    }
    clock_->SleepMs(100);
    return false;
}

bool KTarvexController::WriteFwData(std::uint32_t address, const std::uint8_t* data,
                                    std::uint32_t n) {
    if (n > fw_frame::kMaxData || (n > 0 && data == nullptr)) {
        Trace("[%s] Frame of %u bytes refused", "KTarvexController::WriteFwData", n);
        return false;
    }
    std::array<std::uint8_t, fw_frame::kHeaderSize + fw_frame::kMaxData + 1> frame;
    const std::size_t size = BuildFrame(address, data, n, frame.data());
    const std::uint8_t expected = Crc8(data, static_cast<std::uint16_t>(n));

    std::lock_guard lock(transactionMutex_);
    if (!transport_)
        return false;
    for (int attempt = 0; attempt < kFrameAttempts; ++attempt) {
        transport_->SendByteList(frame.data(), size);
        for (int read = 0; read < kReplyReads; ++read) {
            std::uint8_t reply[2] = {};
            if (!ReadExactly(*transport_, reply, sizeof reply)) {
                Trace("FWUpdate:Timed out");
                clock_->SleepMs(500);
                continue;
            }
            if (reply[0] == fw_frame::kStart && reply[1] == expected) {
                Trace("FWUpdate:Got valid response");
                return true;
            }
            Trace("Write result = %d", reply[0]);
        }
        Trace("Did not get response.  Retrying...");
        clock_->SleepMs(10);
    }
    return false;
}

bool KTarvexController::FinishFwUpdate(std::uint32_t totalBytes) {
    std::lock_guard lock(transactionMutex_);
    bool accepted = false;
    if (transport_) {
        std::array<std::uint8_t, fw_frame::kHeaderSize + 1> frame;
        const std::size_t size = BuildFrame(totalBytes, nullptr, 0, frame.data());
        transport_->SendByteList(frame.data(), size);
        std::uint8_t reply = 0;
        accepted = ReadExactly(*transport_, &reply, 1) && reply == fw_frame::kEndAccepted;
    }
    SetHeartbeatPaused(false);
    return accepted;
}

bool KTarvexController::WriteMbFwData(std::uint32_t offset, std::int32_t n,
                                      const std::uint8_t* data) {
    if (n < 0 || (n > 0 && data == nullptr)) {
        Trace("Error in MB FW Write:\tOffset: %d,\tLen: %d", static_cast<int>(offset), n);
        return false;
    }
    const auto length = std::min<std::uint32_t>(static_cast<std::uint32_t>(n), kMbFwBlockSize);
    KTarvexCommand command(kWriteMbFwDataCmd, kExecute);
    std::uint8_t* payload = command.GetData();
    be::PutU32(payload, offset);
    be::PutU32(payload + 4, length);
    std::copy_n(data, length, payload + 8);
    KTarvexCommand response;
    std::lock_guard lock(transactionMutex_);
    const bool ok = ExchangeWithReadTimeout(command, response, kUpdateReadTimeoutMs) &&
                    response.GetData()[8] != 0;
    Trace(ok ? "Successful MB FW Write:\tOffset: %d,\tLen: %d"
             : "Error in MB FW Write:\tOffset: %d,\tLen: %d",
          static_cast<int>(offset), static_cast<int>(length));
    return ok;
}

void KTarvexController::FinishMbFwUpdate() {
    std::lock_guard lock(transactionMutex_);
    SetHeartbeatPaused(false);
}

} // namespace tarvex
