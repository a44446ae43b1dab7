// The simulated laser's intake on whatever a peer sends: byte streams in pieces, datagrams,
// well-formed packets of any command (so that every handler sees hostile payloads) and
// firmware frames once an update has put it into its boot loader.
//
// Input: a script of steps, each a kind byte and its operands:
//   0  stream bytes   (count, bytes)       1  a datagram  (count, bytes)
//   2  a packet       (flags, cmdID, disposition, count, payload): CRC made to match, its
//                     length field the command's when flag 1 is clear; by datagram when flag 2
//   3  a firmware frame (address, count, data): start byte and Crc8 made to match
//   4  time passes    (tens of milliseconds)
#include "FuzzSupport.h"

using namespace tarvex;

namespace {

void Deliver(sim::SimLink& link, std::span<const std::uint8_t> bytes, bool datagram) {
    const auto out = datagram ? link.OnDatagram(bytes.data(), bytes.size())
                              : link.OnStreamBytes(bytes.data(), bytes.size());
    for (const auto& emission : out)
        fuzz::Check(emission.bytes.size() <= kMaxWireSize, "the laser sent an oversized reply");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    ManualClock clock;
    sim::EmbeddedLaser laser(clock);
    for (int step = 0; step < 256 && !input.Empty(); ++step) {
        const std::uint8_t kind = input.Byte() % 5;
        switch (kind) {
        case 0:
        case 1:
            Deliver(laser.link, input.Bytes(input.Byte()), kind == 1);
            break;
        case 2: {
            const std::uint8_t flags = input.Byte();
            PacketHeader header;
            header.cmdID = input.U16();
            header.disposition = input.Byte();
            header.seqnum = static_cast<std::uint16_t>(step);
            std::vector<std::uint8_t> payload;
            const auto given = input.Bytes(input.U16() % (kMaxPayloadSize + 1));
            payload.assign(given.begin(), given.end());
            if ((flags & 1) == 0)
                payload.resize(KTarvexCommand::CommandLength(header.cmdID) - kHeaderSize, 0);
            header.length = static_cast<std::uint16_t>(kHeaderSize + payload.size());
            Deliver(laser.link, fuzz::Packet(header, payload), (flags & 2) != 0);
            break;
        }
        case 3: {
            const std::uint32_t address = input.U32();
            Deliver(laser.link, fuzz::FirmwareFrame(address, input.Bytes(input.Byte())), false);
            break;
        }
        default:
            clock.Advance(std::uint64_t{input.Byte()} * 10);
            break;
        }
    }
    return 0;
}
