#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarvex {

// The controller's non-volatile configuration: one EEPROM image per QCL slot and one system
// configuration image. Both are opaque to the host apart from the multi-byte numeric fields,
// which are turned between wire (big-endian) and host order by a fixed map.
inline constexpr std::uint16_t kEepromCmd = 1008;
inline constexpr std::uint16_t kSysConfigCmd = 1010;
inline constexpr std::size_t kEepromImageSize = 944;
inline constexpr std::size_t kEepromPayloadSize = 1 + kEepromImageSize; // slot + image
inline constexpr std::size_t kSysConfigSize = 509;
inline constexpr std::size_t kSysConfigModelOffset = 12;
inline constexpr std::size_t kSysConfigSerialOffset = 36;
inline constexpr std::size_t kSysConfigTextLength = 24;

using EepromImage = std::array<std::uint8_t, kEepromImageSize>;
using SysConfigImage = std::array<std::uint8_t, kSysConfigSize>;

// Reverse the byte order of every listed field, in place: wire to host and host to wire alike.
// Offsets are those of the command payload (the slot byte first for the EEPROM).
void SwapEepromPayload(std::uint8_t* payload);
void SwapSysConfig(std::uint8_t* image);

// Firmware update commands.
inline constexpr std::uint16_t kExecFirmwareUpdateCmd = 152;
inline constexpr std::uint16_t kWriteMbFwDataCmd = 155;
inline constexpr std::size_t kMbFwBlockSize = 64;

// Controller firmware goes over the raw link in frames: start byte, 32-bit big-endian address,
// data length n, n data bytes, and a Crc8 over the first n + 5 bytes of the frame. The laser
// answers a frame with 1 and the Crc8 of its data, the end frame (n = 0) with 3, and says it is
// ready for frames, once its flash is erased, with a single 1.
namespace fw_frame {
inline constexpr std::uint8_t kStart = 1;
inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kMaxData = 160;
inline constexpr std::uint8_t kEndAccepted = 3;
inline constexpr std::uint8_t kReady = 1;
} // namespace fw_frame

} // namespace tarvex
