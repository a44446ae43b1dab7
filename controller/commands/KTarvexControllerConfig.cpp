#include "KTarvexController.h"
#include "Trace.h"
#include "files/ConfigFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tarvex {
namespace {

// Writing the non-volatile records takes the laser a while.
constexpr std::uint32_t kEepromWriteTimeoutMs = 10000;
constexpr std::uint32_t kSysConfigWriteTimeoutMs = 20000;

// The EEPROM record's 32-bit field at payload offset 1 is always sent and kept as 0.
constexpr std::size_t kEepromZeroField = 1;
constexpr std::size_t kEepromZeroFieldSize = 4;

void ClearEepromZeroField(std::uint8_t* payload) {
    std::memset(payload + kEepromZeroField, 0, kEepromZeroFieldSize);
}

// Keeps the heartbeat quiet for the length of a long operation.
class HeartbeatPause {
public:
    explicit HeartbeatPause(KTarvexController& controller) : controller_(controller) {
        controller_.SetHeartbeatPaused(true);
    }
    ~HeartbeatPause() { controller_.SetHeartbeatPaused(false); }
    HeartbeatPause(const HeartbeatPause&) = delete;
    HeartbeatPause& operator=(const HeartbeatPause&) = delete;

private:
    KTarvexController& controller_;
};

// Counts the records of an export or import as they go.
class RecordCount {
public:
    RecordCount(const KTarvexController::TransferProgress& progress, std::size_t total)
        : progress_(progress), total_(total) {}
    void Add() {
        if (progress_)
            progress_(++done_, total_);
    }

private:
    const KTarvexController::TransferProgress& progress_;
    std::size_t total_;
    std::size_t done_ = 0;
};

// Traces why a configuration transfer failed and hands the reason to the caller that asked.
bool Fail(std::string* why, const char* reason) {
    Trace("%s", reason);
    if (why)
        *why = reason;
    return false;
}

bool SameIdentity(const SysConfigImage& a, const SysConfigImage& b) {
    const auto begin = static_cast<std::ptrdiff_t>(kSysConfigModelOffset);
    const auto end = static_cast<std::ptrdiff_t>(kSysConfigSerialOffset + kSysConfigTextLength);
    return std::equal(a.begin() + begin, a.begin() + end, b.begin() + begin);
}

} // namespace

bool KTarvexController::ReadWriteEEPROMData(bool write, std::uint8_t slot) {
    if (slot < 1 || slot > kMaxQcls) {
        Trace("[%s] QCL slot %u out of range", "KTarvexController::ReadWriteEEPROMData", slot);
        return false;
    }
    const std::size_t index = slot - 1u;
    KTarvexCommand command(kEepromCmd, write ? kWrite : kRead);
    std::uint8_t* payload = command.GetData();
    KTarvexCommand response;
    std::lock_guard lock(transactionMutex_);
    if (!write) {
        payload[0] = slot;
        if (!Exchange(command, response))
            return false;
        std::array<std::uint8_t, kEepromPayloadSize> record;
        std::copy_n(response.GetData(), kEepromPayloadSize, record.begin());
        ClearEepromZeroField(record.data());
        SwapEepromPayload(record.data());
        UpdateCache([&](LaserCache& c) { c.eeprom[index] = record; });
        return true;
    }
    ReadCache([&](const LaserCache& c) {
        std::copy(c.eeprom[index].begin(), c.eeprom[index].end(), payload);
    });
    // A slot never read or imported holds no slot number of its own.
    payload[0] = slot;
    ClearEepromZeroField(payload);
    SwapEepromPayload(payload);
    return ExchangeWithReadTimeout(command, response, kEepromWriteTimeoutMs);
}

bool KTarvexController::ReadWriteSysConfig(bool write) {
    KTarvexCommand command(kSysConfigCmd, write ? kWrite : kRead);
    std::uint8_t* payload = command.GetData();
    KTarvexCommand response;
    std::lock_guard lock(transactionMutex_);
    if (!write) {
        if (!Exchange(command, response))
            return false;
        SysConfigImage image;
        std::copy_n(response.GetData(), kSysConfigSize, image.begin());
        SwapSysConfig(image.data());
        UpdateCache([&](LaserCache& c) { c.sysConfig = image; });
        return true;
    }
    ReadCache(
        [&](const LaserCache& c) { std::copy(c.sysConfig.begin(), c.sysConfig.end(), payload); });
    SwapSysConfig(payload);
    return ExchangeWithReadTimeout(command, response, kSysConfigWriteTimeoutMs);
}

bool KTarvexController::ReadAllEEPROMData() {
    std::lock_guard lock(transactionMutex_);
    const std::size_t installed = InstalledQcls();
    for (std::size_t index = 0; index < installed; ++index)
        if (!ReadWriteEEPROMData(false, static_cast<std::uint8_t>(index + 1)))
            return false;
    return true;
}

bool KTarvexController::exportConfig(const std::filesystem::path& fileName,
                                     const TransferProgress& progress, std::string* why) {
    Trace("KTarvexController::exportConfig");
    std::lock_guard lock(transactionMutex_);
    HeartbeatPause pause(*this);

    // The user's existing file stays as it is until the new one is complete.
    ReplacingFileWriter file;
    if (!file.Open(fileName))
        return Fail(why, "Cannot open export file");
    const bool cachesOnly = GetOperatingMode() == operating_mode::kCachesOnly;
    if (!cachesOnly) {
        // ReadAllEEPROMData, a slot at a time for the progress display.
        const std::size_t installed = InstalledQcls();
        RecordCount records(progress, installed + 1);
        bool read = true;
        for (std::size_t j = 0; j < installed && read; ++j) {
            read = ReadWriteEEPROMData(false, static_cast<std::uint8_t>(j + 1));
            records.Add();
        }
        if (!read || !ReadWriteSysConfig(false))
            return Fail(why, "Read EEPROM data or SysConfig Failed!");
        records.Add();
    }

    const LaserCache cache = Snapshot();
    const std::size_t slots = cachesOnly ? kConfigFileSlots : cache.InstalledQcls();
    ConfigFile config;
    for (std::size_t j = 0; j < slots; ++j) {
        config.eepromValid[j] = 1;
        std::copy_n(cache.eeprom[j].begin() + 1, kEepromImageSize, config.eepromData[j].begin());
        Trace("j: %u, sizeof(configInfo.eepromData[%u]: %u", static_cast<unsigned>(j),
              static_cast<unsigned>(j), static_cast<unsigned>(kEepromImageSize));
    }
    config.sysConfig = cache.sysConfig;

    const ConfigFileBytes bytes = EncodeConfigFile(config);
    if (!file.Write(bytes) || !file.Commit())
        return Fail(why, "Error writing to config file!");
    return true;
}

bool KTarvexController::importConfig(const std::filesystem::path& fileName,
                                     const TransferProgress& progress, std::string* why) {
    Trace("KTarvexController::importConfig");
    std::lock_guard lock(transactionMutex_);
    HeartbeatPause pause(*this);

    ConfigFile config;
    if (const char* error = ReadConfigFile(fileName, config))
        return Fail(why, error);
    const bool cachesOnly = GetOperatingMode() == operating_mode::kCachesOnly;
    // The laser's records are read and then written: SysConfig and one EEPROM image per QCL.
    RecordCount records(progress, cachesOnly ? 0 : 2 * (InstalledQcls() + 1));
    if (!cachesOnly) {
        ReadAllEEPROMData();
        for (std::size_t j = 0; j < InstalledQcls(); ++j)
            records.Add();
        // Without the laser's own identity the file cannot be matched to it: a stale cache
        // could belong to another laser.
        if (!ReadWriteSysConfig(false))
            return Fail(why, "Error - could not read SysConfig to check model number and "
                             "serial number");
        const bool sameLaser = ReadCache(
            [&](const LaserCache& c) { return SameIdentity(c.sysConfig, config.sysConfig); });
        if (!sameLaser)
            return Fail(why, "Error - Model number or serial number mismatched");
        records.Add();
    }

    // The writes go out of the cache, so the file's images go in first; a record the laser then
    // refuses gets back what the laser still holds.
    const auto lasers =
        ReadCache([](const LaserCache& c) { return std::pair(c.sysConfig, c.eeprom); });
    // A slot the file does not hold keeps what the laser has: writing zeros there would wipe
    // that module's calibration.
    UpdateCache([&](LaserCache& c) {
        for (std::size_t j = 0; j < kConfigFileSlots; ++j) {
            if (!config.eepromValid[j])
                continue;
            c.eeprom[j][0] = static_cast<std::uint8_t>(j + 1);
            std::copy(config.eepromData[j].begin(), config.eepromData[j].end(),
                      c.eeprom[j].begin() + 1);
        }
        c.sysConfig = config.sysConfig;
    });
    if (cachesOnly)
        return true;

    bool result = ReadWriteSysConfig(true);
    if (!result)
        UpdateCache([&](LaserCache& c) { c.sysConfig = lasers.first; });
    records.Add();
    const std::size_t installed = InstalledQcls();
    for (std::size_t j = 0; j < installed; ++j) {
        if (!config.eepromValid[j]) {
            Trace("Slot %u not in the configuration file; its EEPROM is left as it is",
                  static_cast<unsigned>(j + 1));
        } else if (!ReadWriteEEPROMData(true, static_cast<std::uint8_t>(j + 1))) {
            UpdateCache([&](LaserCache& c) { c.eeprom[j] = lasers.second[j]; });
            result = false;
        }
        records.Add();
    }
    return result || Fail(why, "Error - writing sysconfig or eeprom data.");
}

} // namespace tarvex
