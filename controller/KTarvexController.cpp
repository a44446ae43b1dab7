#include "KTarvexController.h"

#include "Trace.h"

#include <cstring>

namespace tarvex {

KTarvexController::KTarvexController(ControllerProfile profile, Clock* clock)
    : profile_(profile), clock_(clock ? clock : &SystemClock::Instance()) {
    Trace("KTarvexController::KTarvexController");
}

KTarvexController::~KTarvexController() {
    Trace("KTarvexController::~KTarvexController");
    // Nothing is reported to an owner that is letting go of the controller.
    SetLinkLostCallback(nullptr);
    // The heartbeat uses the transport: it ends first.
    StopHeartbeat();
    CloseTransport();
}

void KTarvexController::AttachTransport(std::unique_ptr<KWinTransport> transport) {
    std::lock_guard lock(transactionMutex_);
    if (transport && transportWrapper_)
        transport = transportWrapper_(std::move(transport));
    transport_ = std::move(transport);
}

void KTarvexController::SetTransportWrapper(TransportWrapper wrapper) {
    std::lock_guard lock(transactionMutex_);
    transportWrapper_ = std::move(wrapper);
}

void KTarvexController::CloseTransport() {
    std::lock_guard lock(transactionMutex_);
    if (transport_) {
        transport_->Close();
        transport_.reset();
    }
}

bool KTarvexController::HasTransport() const {
    std::lock_guard lock(transactionMutex_);
    return transport_ != nullptr;
}

void KTarvexController::SetLinkLostCallback(std::function<void()> callback) {
    std::lock_guard lock(linkLostMutex_);
    linkLost_ = std::move(callback);
}

void KTarvexController::CountFailure() {
    // 8-bit count: after 255 it starts again from 0.
    const auto count = static_cast<std::uint8_t>(consecutiveFailures_.load() + 1);
    consecutiveFailures_.store(count);
    // Reported once the transaction lock is free, so that the callback can use the controller.
    if (count > 5 && profile_.notifyLinkLost)
        ++linkLostPending_;
}

void KTarvexController::DeliverLinkLost() {
    if (linkLostPending_.load() == 0 || deliveringLinkLost_.exchange(true))
        return;
    std::function<void()> callback;
    {
        std::lock_guard lock(linkLostMutex_);
        callback = linkLost_;
    }
    for (unsigned pending = linkLostPending_.exchange(0); pending > 0 && callback; --pending)
        callback();
    deliveringLinkLost_.store(false);
}

bool KTarvexController::AcceptSlotReply(const KTarvexCommand& command, std::uint8_t asked,
                                        std::uint8_t replied) {
    if (replied == asked)
        return true;
    Trace("[%s] cmdID = %d: reply for slot %u where slot %u was asked, discarded",
          "KTarvexController::ExchangePerSlot", command.GetHeader().cmdID, replied, asked);
    // The slot's own reply is queued behind the stale one: it goes with the rest.
    clock_->SleepMs(400);
    transport_->Purge();
    CountFailure();
    return false;
}

bool KTarvexController::WriteCommand(KTarvexCommand& command) {
    static constexpr const char* kWho = "KTarvexController::WriteCommand";
    Trace("%s", kWho);
    if (profile_.codecTrace && !KTarvexCommand::IsKnownCommand(command.GetHeader().cmdID))
        Trace("[%s] Got unknown command", "KTarvexCommand::GetCommandLength");

    std::uint8_t buffer[1024];
    std::size_t size = sizeof buffer;
    bool good = false;
    if (!command.GetPacket(buffer, size)) {
        Trace("[%s] Error generating packet from command", kWho);
    } else {
        Trace("Sending Packet with Len: %d", static_cast<int>(size));
        transport_->SendByteList(buffer, size);

        std::memset(buffer, 0, sizeof buffer);
        bool timedOut = false;
        try {
            transport_->ReadByteList(buffer, kAckPacketSize);
        } catch (const NoBytesToRead&) {
            timedOut = true;
        }
        KTarvexCommand ack;
        const auto& sent = command.GetHeader();
        if (timedOut) {
            Trace("[%s] Timed out reading ack/nak", kWho);
        } else if (!ack.ProcessPacket(buffer, kAckPacketSize)) {
            if (profile_.codecTrace)
                Trace("[%s] CRC mismatch", "KTarvexCommand::ProcessPacket");
            Trace("[%s] Invalid ack/nak packet received(crc)", kWho);
        } else if (ack.GetHeader().cmdID == sent.cmdID &&
                   ack.GetHeader().disposition == sent.disposition &&
                   ack.GetHeader().seqnum == sent.seqnum) {
            good = true;
        } else {
            const auto& got = ack.GetHeader();
            Trace("[%s] Invalid ack/nak packet received(semantics) cmdID = %d disposition = %d "
                  "seqnum = %d [Command] cmdID = %d disposition = %d seqnum = %d",
                  kWho, got.cmdID, got.disposition, got.seqnum, sent.cmdID, sent.disposition,
                  sent.seqnum);
        }
    }

    if (good) {
        consecutiveFailures_.store(0);
        return true;
    }
    clock_->SleepMs(200);
    transport_->Purge();
    clock_->SleepMs(400);
    CountFailure();
    return false;
}

bool KTarvexController::ReadResponse(const KTarvexCommand& command, KTarvexCommand& response) {
    std::uint8_t buffer[1024];
    std::memset(buffer, 0, sizeof buffer);
    const std::size_t count = std::size_t{command.GetResponseLength()} + kCrcSize;

    bool good = false;
    try {
        transport_->ReadByteList(buffer, count);
        if (!response.ProcessPacket(buffer, count)) {
            if (profile_.codecTrace)
                Trace("[%s] CRC mismatch", "KTarvexCommand::ProcessPacket");
        } else {
            const auto& got = response.GetHeader();
            const auto& sent = command.GetHeader();
            good = got.cmdID == sent.cmdID && got.disposition == kResponse &&
                   got.seqnum == sent.seqnum && got.status == 0;
        }
    } catch (const NoBytesToRead&) {
    }

    if (good) {
        consecutiveFailures_.store(0);
        return true;
    }
    clock_->SleepMs(400);
    CountFailure();
    return false;
}

bool KTarvexController::ExecuteCommand(KTarvexCommand& command, KTarvexCommand& response) {
    const std::uint64_t start = clock_->NowMs();
    const int attempts = transportType_.load() == kTransportUdp ? 3 : 1;
    bool written = false;
    for (int attempt = 0; attempt < attempts && !written; ++attempt) {
        written = WriteCommand(command);
        if (!written)
            clock_->SleepMs(100);
    }
    const bool result = written && ReadResponse(command, response);
    if (profile_.exchangeTrace) {
        Trace("[%s] cmdID = %d time = %d", "KTarvexController::ExecuteCommand",
              command.GetHeader().cmdID, static_cast<int>(clock_->NowMs() - start));
        Trace("[Sequence] Cmd SeqNum = %d, Rsp SeqNum = %d", command.GetHeader().seqnum,
              response.GetHeader().seqnum);
    }
    return result;
}

void KTarvexController::SetTransportTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    std::lock_guard lock(transactionMutex_);
    if (transport_)
        transport_->SetTimeouts(readMs, writeMs);
    heartbeatTimeouts_ = false;
}

ScanStatus KTarvexController::GetScanStatus() const {
    return ReadCache([](const LaserCache& c) {
        ScanStatus s;
        s.scanInProgress = (c.status.mask & status::kScanInProgress) != 0;
        s.statusBit7 = (c.status.mask & status::kBit7) != 0;
        s.curScanNum = c.progress.cur_scan_num;
        s.scanPercent = c.progress.scan_percent;
        s.currentWw = c.light.current_ww;
        s.unit = c.light.unit;
        const std::uint8_t bits = c.progress.indicator;
        s.adjustingTemperature = (bits & progress::kAdjustingTemperature) != 0;
        s.adjustingWavelength = (bits & progress::kAdjustingWavelength) != 0;
        s.safetyTimerActive = (bits & progress::kSafetyTimer) != 0;
        s.scanActive =
            (bits & progress::kScanActive) != 0 && (bits & progress::kCancelsScanActive) == 0;
        return s;
    });
}

bool KTarvexController::ExchangeWithReadTimeout(KTarvexCommand& command, KTarvexCommand& response,
                                                std::uint32_t readMs) {
    std::lock_guard lock(transactionMutex_);
    SetTransportTimeouts(readMs, 0);
    const bool ok = Exchange(command, response);
    SetTransportTimeouts(kNormalReadTimeoutMs, 0);
    return ok;
}

bool KTarvexController::Exchange(KTarvexCommand& command, KTarvexCommand& response) {
    std::lock_guard lock(transactionMutex_);
    if (!transport_ || !PrepareExchange())
        return false;
    return ExecuteCommand(command, response);
}

void KTarvexController::StoreRecord(const void* record, StagedReads::Store store) {
    std::lock_guard lock(cacheMutex_);
    if (InHeartbeatCycle()) {
        staged_.Stage(record, std::move(store));
        return;
    }
    store(cache_);
    staged_.Supersede(record);
}

} // namespace tarvex
