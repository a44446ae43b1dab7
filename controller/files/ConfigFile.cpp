#include "files/ConfigFile.h"

#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "files/InputFile.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace tarvex {

ConfigFileBytes EncodeConfigFile(const ConfigFile& config) {
    ConfigFileBytes bytes{};
    le::PutU16(bytes.data(), kConfigFileVersion);
    std::copy(config.eepromValid.begin(), config.eepromValid.end(),
              bytes.begin() + kConfigFileValidOffset);
    for (std::size_t slot = 0; slot < kConfigFileSlots; ++slot)
        std::copy(config.eepromData[slot].begin(), config.eepromData[slot].end(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(kConfigFileEepromOffset +
                                                              slot * kEepromImageSize));
    std::copy(config.sysConfig.begin(), config.sysConfig.end(),
              bytes.begin() + kConfigFileSysConfigOffset);
    le::PutU16(bytes.data() + kConfigFileCrcOffset, Crc16(0, bytes.data(), kConfigFileCrcOffset));
    return bytes;
}

const char* DecodeConfigFile(std::span<const std::uint8_t> bytes, ConfigFile& config) {
    if (bytes.size() < 2)
        return "Could not read version";
    if (le::GetU16(bytes.data()) != kConfigFileVersion)
        return "Unsupported version";
    if (bytes.size() < kConfigFileSize)
        return "Invalid file format";
    if (Crc16(0, bytes.data(), kConfigFileCrcOffset) !=
        le::GetU16(bytes.data() + kConfigFileCrcOffset))
        return "Error - CRC mismatched";

    const auto at = [&](std::size_t offset) {
        return bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    };
    std::copy_n(at(kConfigFileValidOffset), kConfigFileSlots, config.eepromValid.begin());
    for (std::size_t slot = 0; slot < kConfigFileSlots; ++slot)
        std::copy_n(at(kConfigFileEepromOffset + slot * kEepromImageSize), kEepromImageSize,
                    config.eepromData[slot].begin());
    std::copy_n(at(kConfigFileSysConfigOffset), kSysConfigSize, config.sysConfig.begin());
    return nullptr;
}

const char* ReadConfigFile(const std::filesystem::path& path, ConfigFile& config) {
    std::ifstream in;
    switch (OpenInputFile(path, in)) {
    case InputFile::Opened:
        break;
    case InputFile::NotRegular:
        return "Error opening config file: not a regular file.";
    default:
        return "Error opening config file.";
    }
    std::vector<std::uint8_t> bytes(kConfigFileSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return DecodeConfigFile(bytes, config);
}

ReplacingFileWriter::~ReplacingFileWriter() {
    if (!committed_)
        Discard();
}

bool ReplacingFileWriter::Open(const std::filesystem::path& target) {
    std::error_code error;
    if (target.empty() || std::filesystem::is_directory(target, error))
        return false;
    target_ = target;
    temporary_ = target;
    temporary_ += ".tmp";
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_) {
        temporary_.clear();
        return false;
    }
    return true;
}

bool ReplacingFileWriter::Write(std::span<const std::uint8_t> bytes) {
    if (!out_.is_open())
        return false;
    out_.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out_);
}

bool ReplacingFileWriter::Commit() {
    if (!out_.is_open())
        return false;
    out_.close();
    if (!out_)
        return false;
    std::error_code error;
    std::filesystem::rename(temporary_, target_, error);
    if (error)
        return false;
    committed_ = true;
    return true;
}

void ReplacingFileWriter::Discard() {
    if (out_.is_open())
        out_.close();
    if (!temporary_.empty()) {
        std::error_code error;
        std::filesystem::remove(temporary_, error);
    }
}

} // namespace tarvex
