#include "codec/Crc.h"

#include <array>

namespace tarvex {
namespace {

constexpr std::array<std::uint16_t, 256> MakeCrc16Table() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000u) ? ((crc << 1) ^ 0x8005u) : (crc << 1);
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> MakeCrc8Table() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? ((crc >> 1) ^ 0x8Cu) : (crc >> 1);
        table[i] = static_cast<std::uint8_t>(crc);
    }
    return table;
}

constexpr auto kCrc16Table = MakeCrc16Table();
constexpr auto kCrc8Table = MakeCrc8Table();

} // namespace

std::uint16_t Crc16(std::uint16_t seed, const std::uint8_t* bytes, std::size_t count) {
    std::uint16_t crc = seed;
    for (std::size_t i = 0; i < count; ++i)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrc16Table[((crc >> 8) ^ bytes[i]) & 0xFF]);
    return crc;
}

std::uint8_t Crc8(const std::uint8_t* bytes, std::uint16_t count) {
    std::uint8_t crc = 0xFF;
    for (std::uint16_t i = 0; i < count; ++i)
        crc = kCrc8Table[bytes[i] ^ crc];
    return crc;
}

} // namespace tarvex
