#include "SimLink.h"

#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "codec/KTarvexCommand.h"

#include <algorithm>

namespace tarvex::sim {
namespace {

std::vector<std::uint8_t> BuildPacket(const PacketHeader& header, const std::uint8_t* payload,
                                      std::size_t payloadSize) {
    KTarvexCommand packet;
    packet.GetHeader() = header;
    std::copy_n(payload, std::min(payloadSize, kMaxPayloadSize), packet.GetData());
    std::vector<std::uint8_t> bytes(kMaxWireSize);
    std::size_t size = bytes.size();
    packet.GetPacket(bytes.data(), size);
    bytes.resize(size);
    return bytes;
}

void Corrupt(std::vector<std::uint8_t>& bytes) {
    if (!bytes.empty())
        bytes[bytes.size() / 2] ^= 0x5A;
}

// Moves an intact packet to another sequence number, with a CRC that matches.
void Resequence(std::vector<std::uint8_t>& bytes, int delta) {
    KTarvexCommand packet;
    packet.ProcessPacket(bytes.data(), bytes.size());
    packet.GetHeader().seqnum = static_cast<std::uint16_t>(packet.GetHeader().seqnum + delta);
    bytes = BuildPacket(packet.GetHeader(), packet.GetData(), bytes.size() - kAckPacketSize);
}

} // namespace

SimLink::SimLink(SimLaser& laser, FaultInjector& faults) : laser_(laser), faults_(faults) {}

SimLink::Stats SimLink::GetStats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

std::vector<SimOutput> SimLink::OnStreamBytes(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(mutex_);
    const std::uint64_t now = laser_.GetClock().NowMs();
    if (!rx_.empty() && now - lastByteMs_ > kInterByteResetMs) {
        stats_.framingErrors += rx_.size();
        rx_.clear();
    }
    lastByteMs_ = now;
    std::vector<SimOutput> out;
    if (laser_.InRawMode()) {
        // A firmware update in progress: frames, not packets.
        for (auto& emission : laser_.ProcessRaw(bytes, count))
            out.push_back({std::move(emission.bytes), emission.delayMs});
        return out;
    }
    rx_.insert(rx_.end(), bytes, bytes + count);
    DrainFrames(out);
    return out;
}

void SimLink::DrainFrames(std::vector<SimOutput>& out) {
    while (rx_.size() >= kHeaderSize) {
        const std::size_t length = be::GetU16(rx_.data() + 8);
        const bool lengthOk = length >= kHeaderSize && length <= kMaxPacketLength;
        const bool complete = lengthOk && rx_.size() >= length + kCrcSize;
        if (complete && IntactAt(0)) {
            auto produced = OnPacket(rx_.data(), length + kCrcSize);
            Discard(length + kCrcSize);
            for (auto& item : produced)
                out.push_back(std::move(item));
            continue;
        }
        if (lengthOk && !complete) {
            // The rest may still come; but an intact packet further on shows that this one
            // never will (a write cut short, or noise that looked like a header).
            const auto next = NextIntactPacket();
            if (!next)
                return;
            stats_.framingErrors += *next;
            Discard(*next);
            continue;
        }
        if (complete)
            ++stats_.crcErrors;
        else
            stats_.framingErrors += NextPlausibleHeader(1);
        Discard(NextPlausibleHeader(1));
    }
}

bool SimLink::PlausibleHeaderAt(std::size_t at) const {
    const std::uint8_t* header = rx_.data() + at;
    const std::size_t length = be::GetU16(header + 8);
    return header[0] == 0 && header[3] >= kRead && header[3] <= kResponse &&
           length >= kHeaderSize && length <= kMaxPacketLength;
}

bool SimLink::IntactAt(std::size_t at) const {
    const std::size_t length = be::GetU16(rx_.data() + at + 8);
    return at + length + kCrcSize <= rx_.size() &&
           Crc16(0, rx_.data() + at, length) == be::GetU16(rx_.data() + at + length);
}

std::size_t SimLink::NextPlausibleHeader(std::size_t from) const {
    std::size_t at = from;
    // A header cut off at the end may yet become one.
    while (at + kHeaderSize <= rx_.size() && !PlausibleHeaderAt(at))
        ++at;
    return std::min(at, rx_.size());
}

std::optional<std::size_t> SimLink::NextIntactPacket() const {
    for (std::size_t at = 1; at + kAckPacketSize <= rx_.size(); ++at)
        if (PlausibleHeaderAt(at) && IntactAt(at))
            return at;
    return std::nullopt;
}

void SimLink::Discard(std::size_t count) {
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(count));
}

std::vector<SimOutput> SimLink::OnDatagram(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (laser_.InRawMode()) {
        std::vector<SimOutput> out;
        for (auto& emission : laser_.ProcessRaw(bytes, count))
            out.push_back({std::move(emission.bytes), emission.delayMs});
        return out;
    }
    if (count < kAckPacketSize || count > kMaxWireSize ||
        be::GetU16(bytes + 8) + kCrcSize != count) {
        stats_.framingErrors += count;
        return {};
    }
    return OnPacket(bytes, count);
}

std::vector<SimOutput> SimLink::OnPacket(const std::uint8_t* bytes, std::size_t count) {
    KTarvexCommand command;
    if (!command.ProcessPacket(bytes, count)) {
        ++stats_.crcErrors;
        return {};
    }
    ++stats_.packets;
    const PacketHeader& in = command.GetHeader();
    const FaultDecision fault = faults_.Next(in.cmdID);
    if (fault.fault == Fault::Silent)
        return {};

    SimReply reply;
    const bool lengthOk = in.length == KTarvexCommand::CommandLength(in.cmdID);
    if (fault.fault == Fault::Nak || !lengthOk) {
        reply.nak = true;
    } else {
        SimRequest request{
            in.cmdID, in.disposition, in.seqnum,
            std::span<const std::uint8_t>(command.GetData(), count - kAckPacketSize)};
        reply = laser_.Process(request);
    }

    PacketHeader ackHeader{0,         in.cmdID, in.disposition,
                           in.seqnum, 0,        static_cast<std::uint16_t>(kHeaderSize)};
    if (reply.nak)
        ackHeader.disposition |= kNakBit;
    std::vector<std::uint8_t> ack = BuildPacket(ackHeader, nullptr, 0);
    std::vector<SimOutput> out;
    if (fault.fault == Fault::StaleDuplicate) {
        out.push_back({lastAck_.empty() ? ack : lastAck_, 0});
        if (lastAck_.empty())
            Resequence(out.back().bytes, -1);
    }
    lastAck_ = ack;
    if (reply.nak) {
        ++stats_.naks;
        out.push_back({std::move(ack), 0});
        return out;
    }

    const std::uint16_t responseLength = KTarvexCommand::ResponseLength(in.cmdID);
    reply.payload.resize(responseLength - kHeaderSize, 0);
    PacketHeader responseHeader{0, in.cmdID, kResponse, in.seqnum, reply.status, responseLength};
    if (fault.fault == Fault::StatusNonZero)
        responseHeader.status = 1;
    std::vector<std::uint8_t> response =
        BuildPacket(responseHeader, reply.payload.data(), reply.payload.size());

    switch (fault.fault) {
    case Fault::CorruptAck:
        Corrupt(ack);
        break;
    case Fault::CorruptResponse:
        Corrupt(response);
        break;
    case Fault::AckWrongSequence:
        Resequence(ack, 1);
        break;
    case Fault::ResponseWrongSequence:
        Resequence(response, 1);
        break;
    default:
        break;
    }
    const std::uint32_t delay = fault.fault == Fault::Delay ? fault.delayMs : 0;
    if (fault.fault != Fault::DropAck)
        out.push_back({std::move(ack), delay});
    if (fault.fault != Fault::DropResponse)
        out.push_back({std::move(response), delay});
    for (auto& emission : reply.after)
        out.push_back({std::move(emission.bytes), emission.delayMs});
    return out;
}

} // namespace tarvex::sim
