// The packet codec on any bytes: a packet it loads goes out again byte for byte, and the length
// tables answer for every command id.
#include "FuzzSupport.h"

#include <algorithm>
#include <array>

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KTarvexCommand packet;
    if (!packet.ProcessPacket(data, size))
        return 0;
    const PacketHeader& header = packet.GetHeader();
    fuzz::Check(packet.IsNak() == ((header.disposition & kNakBit) != 0), "nak flag");
    const auto commandLength = KTarvexCommand::CommandLength(header.cmdID);
    const auto responseLength = KTarvexCommand::ResponseLength(header.cmdID);
    fuzz::Check(commandLength >= kHeaderSize && commandLength <= kMaxPacketLength,
                "command length out of range");
    fuzz::Check(responseLength >= kHeaderSize && responseLength <= kMaxPacketLength,
                "response length out of range");

    // A packet whose length field tells its size serialises back to the bytes it came from.
    if (std::size_t{header.length} + kCrcSize != size)
        return 0;
    std::array<std::uint8_t, kMaxWireSize> out{};
    std::size_t outSize = out.size();
    fuzz::Check(packet.GetPacket(out.data(), outSize), "a loaded packet does not serialise");
    fuzz::Check(outSize == size && std::equal(data, data + size, out.begin()),
                "a loaded packet serialises to other bytes");
    return 0;
}
