#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvex {

// CRC-16, polynomial 0x8005, MSB first, no reflection, no final XOR. With seed 0 this is
// CRC-16/UMTS; the seed lets a caller continue a CRC over data taken in pieces.
std::uint16_t Crc16(std::uint16_t seed, const std::uint8_t* bytes, std::size_t count);

// CRC-8, polynomial 0x31 processed LSB first (reflected 0x8C), initial value 0xFF, no final XOR.
std::uint8_t Crc8(const std::uint8_t* bytes, std::uint16_t count);

} // namespace tarvex
