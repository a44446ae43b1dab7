#include "FuzzSupport.h"

#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "records/ConfigImages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tarvex::fuzz {

std::uint8_t InputReader::Byte() {
    return Empty() ? 0 : data_[offset_++];
}

std::uint16_t InputReader::U16() {
    const auto high = Byte();
    return static_cast<std::uint16_t>(high << 8 | Byte());
}

std::uint32_t InputReader::U32() {
    const std::uint32_t high = U16();
    return high << 16 | U16();
}

std::span<const std::uint8_t> InputReader::Bytes(std::size_t count) {
    const std::size_t taken = std::min(count, size_ - std::min(offset_, size_));
    std::span<const std::uint8_t> bytes(data_ + offset_, taken);
    offset_ += taken;
    return bytes;
}

std::vector<std::uint8_t> Packet(const PacketHeader& header,
                                 std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> bytes(kHeaderSize);
    bytes[0] = header.reserved;
    be::PutU16(bytes.data() + 1, header.cmdID);
    bytes[3] = header.disposition;
    be::PutU16(bytes.data() + 4, header.seqnum);
    be::PutU16(bytes.data() + 6, header.status);
    be::PutU16(bytes.data() + 8, header.length);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    const std::uint16_t crc = Crc16(0, bytes.data(), bytes.size());
    bytes.resize(bytes.size() + kCrcSize);
    be::PutU16(bytes.data() + bytes.size() - kCrcSize, crc);
    return bytes;
}

std::vector<std::uint8_t> FirmwareFrame(std::uint32_t address, std::span<const std::uint8_t> data) {
    const std::size_t n = std::min(data.size(), fw_frame::kMaxData);
    std::vector<std::uint8_t> frame(fw_frame::kHeaderSize + n + 1);
    frame[0] = fw_frame::kStart;
    be::PutU32(frame.data() + 1, address);
    frame[5] = static_cast<std::uint8_t>(n);
    std::copy_n(data.begin(), n, frame.begin() + fw_frame::kHeaderSize);
    // The boot loader's Crc8 covers the first n + 5 bytes of the frame.
    frame[fw_frame::kHeaderSize + n] = Crc8(frame.data(), static_cast<std::uint16_t>(n + 5));
    return frame;
}

LaserRig::LaserRig(sim::LaserProfile profile) : embedded(clock, std::move(profile)) {
    auto owned = std::make_unique<sim::InProcessTransport>(embedded.link, clock);
    transport = owned.get();
    controller.AttachTransport(std::move(owned));
}

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

} // namespace tarvex::fuzz
