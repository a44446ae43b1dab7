#pragma once

#include "records/ConfigImages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>

namespace tarvex {

// The ".tcfg" configuration file: every EEPROM image and the SysConfig image of one laser, in
// the controller's host byte order, behind a little-endian header and closed by a CRC-16.
//
//   offset 0     u16 version (2)
//   offset 2     4 bytes eepromValid, one per slot 1 to 4
//   offset 6     4 x 944 bytes EEPROM images, slot 1 first
//   offset 3782  509 bytes SysConfig image
//   offset 4291  u16 Crc16 (seed 0) over bytes 0 to 4290
inline constexpr std::uint16_t kConfigFileVersion = 2;
inline constexpr std::size_t kConfigFileSlots = 4;
inline constexpr std::size_t kConfigFileValidOffset = 2;
inline constexpr std::size_t kConfigFileEepromOffset = 6;
inline constexpr std::size_t kConfigFileSysConfigOffset =
    kConfigFileEepromOffset + kConfigFileSlots * kEepromImageSize;
inline constexpr std::size_t kConfigFileCrcOffset = kConfigFileSysConfigOffset + kSysConfigSize;
inline constexpr std::size_t kConfigFileSize = kConfigFileCrcOffset + 2;

struct ConfigFile {
    std::array<std::uint8_t, kConfigFileSlots> eepromValid{};
    std::array<EepromImage, kConfigFileSlots> eepromData{};
    SysConfigImage sysConfig{};
};

using ConfigFileBytes = std::array<std::uint8_t, kConfigFileSize>;

// The file's bytes: version 2, the content, and the CRC over everything before it.
ConfigFileBytes EncodeConfigFile(const ConfigFile& config);

// Checks and unpacks a file's bytes (at least kConfigFileSize of them; any further bytes are
// ignored). Returns nullptr on success, else the reason, as the controller traces it.
const char* DecodeConfigFile(std::span<const std::uint8_t> bytes, ConfigFile& config);

// Reads and checks a configuration file. Returns nullptr on success, else the reason.
const char* ReadConfigFile(const std::filesystem::path& path, ConfigFile& config);

// Writes a file so that the old one survives every failure: the bytes go to a temporary file
// beside the target, which replaces the target only when all of them were written. A writer
// destroyed before Commit removes its temporary file.
class ReplacingFileWriter {
public:
    ReplacingFileWriter() = default;
    ~ReplacingFileWriter();
    ReplacingFileWriter(const ReplacingFileWriter&) = delete;
    ReplacingFileWriter& operator=(const ReplacingFileWriter&) = delete;

    // Creates the temporary file; false when the target's directory is not writable.
    bool Open(const std::filesystem::path& target);
    bool Write(std::span<const std::uint8_t> bytes);
    // Closes the temporary file and moves it over the target.
    bool Commit();

    const std::filesystem::path& TemporaryPath() const { return temporary_; }

private:
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::ofstream out_;
    bool committed_ = false;
};

} // namespace tarvex
