// Configuration export and import against the simulated laser: a file must carry the laser's
// images byte for byte, a bad or foreign file must be refused before anything is written, and a
// failed export must leave the user's existing file alone.
#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "files/ConfigFile.h"
#include "support/SimRig.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace tarvex;
using namespace tarvex::test;

namespace {

using EepromRecord = std::array<std::uint8_t, kEepromPayloadSize>;

struct ConfigRig : SimRig {
    explicit ConfigRig(std::uint8_t qcls = 4) { SetInstalledQcls(qcls); }
    bool Export() { return controller->exportConfig(file, Record()); }
    bool Import() { return controller->importConfig(file, Record()); }
    KTarvexController::TransferProgress Record() {
        progress.clear();
        return [this](std::size_t done, std::size_t total) {
            progress.push_back(std::to_string(done) + "/" + std::to_string(total));
        };
    }
    sim::ConfigSimState LaserConfig() { return State().config; }
    std::size_t ConfigWrites() {
        const auto config = LaserConfig();
        std::size_t writes = config.sysConfigWrites;
        for (std::size_t n : config.eepromWrites)
            writes += n;
        return writes;
    }

    TempDir dir;
    std::filesystem::path file = dir / "laser.tcfg";
    std::vector<std::string> progress;
};

// The image the host keeps for a record the laser holds: host order, the zero field cleared.
EepromImage HostImage(EepromRecord record) {
    std::memset(record.data() + 1, 0, 4);
    SwapEepromPayload(record.data());
    EepromImage image;
    std::copy(record.begin() + 1, record.end(), image.begin());
    return image;
}

SysConfigImage HostSysConfig(SysConfigImage image) {
    SwapSysConfig(image.data());
    return image;
}

std::span<const std::uint8_t> FileImage(const std::vector<std::uint8_t>& file, std::size_t slot) {
    return std::span(file).subspan(kConfigFileEepromOffset + slot * kEepromImageSize,
                                   kEepromImageSize);
}

void ResealCrc(std::vector<std::uint8_t>& file) {
    le::PutU16(file.data() + kConfigFileCrcOffset, Crc16(0, file.data(), kConfigFileCrcOffset));
}

} // namespace

TEST(ConfigFormat, AnyChangedByteIsCaught) {
    const ConfigFileBytes good = EncodeConfigFile(ConfigFile{});
    for (std::size_t offset : {2u, 5u, 6u, 1500u, 3781u, 3782u, 4290u, 4291u, 4292u}) {
        ConfigFileBytes bad = good;
        bad[offset] ^= 0x01;
        ConfigFile decoded;
        EXPECT_STREQ(DecodeConfigFile(bad, decoded), "Error - CRC mismatched") << offset;
    }
}

TEST(ConfigExport, FileHoldsTheLasersImagesInHostOrderAndItsImportRestoresEveryByte) {
    ConfigRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.Export());
    const auto file = ReadBytes(rig.file);
    ASSERT_EQ(file.size(), 4293u);
    EXPECT_EQ(le::GetU16(file.data()), 2);
    EXPECT_EQ(std::vector(file.begin() + 2, file.begin() + 6), std::vector<std::uint8_t>(4, 1));
    EXPECT_EQ(le::GetU16(file.data() + 4291), Crc16(0, file.data(), 4291));

    const auto laser = rig.LaserConfig();
    for (std::size_t slot = 0; slot < 4; ++slot) {
        const auto image = FileImage(file, slot);
        EXPECT_TRUE(std::all_of(image.begin(), image.begin() + 4, [](auto b) { return b == 0; }))
            << "slot " << slot + 1;
        const EepromImage expected = HostImage(laser.eeprom[slot]);
        EXPECT_TRUE(std::equal(image.begin(), image.end(), expected.begin())) << slot + 1;
    }
    const SysConfigImage sysConfig = HostSysConfig(laser.sysConfig);
    EXPECT_TRUE(std::equal(sysConfig.begin(), sysConfig.end(), file.begin() + 3782));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[3782 + 36])), "TVX0042");

    EXPECT_TRUE(trace.Contains("KTarvexController::exportConfig"));
    EXPECT_TRUE(trace.Contains("j: 3, sizeof(configInfo.eepromData[3]: 944"));
    EXPECT_FALSE(rig.controller->HeartbeatPaused());

    // Importing the file restores every byte. Everything but the identity and the firmware's write
    // counters is then overwritten.
    rig.laser.Modify([](sim::SimState& s) {
        for (auto& record : s.config.eeprom)
            for (std::size_t i = 5; i < record.size(); ++i)
                record[i] = static_cast<std::uint8_t>(~record[i]);
        for (std::size_t i = 60; i < s.config.sysConfig.size(); ++i)
            s.config.sysConfig[i] = static_cast<std::uint8_t>(~s.config.sysConfig[i]);
    });
    const std::size_t timeoutsBefore = rig.transport->TimeoutHistory().size();
    ASSERT_TRUE(rig.Import());

    const auto restored = rig.LaserConfig();
    EXPECT_EQ(restored.sysConfig, laser.sysConfig);
    for (std::size_t slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(restored.eeprom[slot][0], slot + 1);
        EXPECT_TRUE(std::equal(restored.eeprom[slot].begin() + 5, restored.eeprom[slot].end(),
                               laser.eeprom[slot].begin() + 5))
            << "slot " << slot + 1;
        EXPECT_EQ(restored.eepromWrites[slot], 1u);
    }
    EXPECT_EQ(restored.sysConfigWrites, 1u);
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
    // Each write raises the read time-out for its own exchange.
    const auto& timeouts = rig.transport->TimeoutHistory();
    EXPECT_EQ(
        std::vector(timeouts.begin() + static_cast<std::ptrdiff_t>(timeoutsBefore), timeouts.end()),
        (std::vector<std::uint32_t>{20000, 2000, 10000, 2000, 10000, 2000, 10000, 2000, 10000,
                                    2000}));
}

TEST(ConfigExport, ATwoQclFileHoldsTwoSlotsAndItsImportLeavesTheOthersAlone) {
    // A file made before two modules were fitted must not wipe their calibration.
    ConfigRig rig(2);
    ASSERT_TRUE(rig.Export());
    EXPECT_EQ(rig.progress, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
    const auto file = ReadBytes(rig.file);
    EXPECT_EQ(std::vector(file.begin() + 2, file.begin() + 6),
              (std::vector<std::uint8_t>{1, 1, 0, 0}));
    for (std::size_t slot : {2u, 3u}) {
        const auto image = FileImage(file, slot);
        EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](auto b) { return b == 0; }));
    }

    rig.SetInstalledQcls(4);
    const auto before = rig.LaserConfig();
    TraceCapture trace;
    ASSERT_TRUE(rig.Import());
    // Read and written: SysConfig and the four slots, two of them left as they are.
    EXPECT_EQ(rig.progress.size(), 10u);
    EXPECT_EQ(rig.progress.back(), "10/10");
    const auto after = rig.LaserConfig();
    EXPECT_EQ(after.sysConfigWrites, 1u);
    EXPECT_EQ(after.eepromWrites, (std::array<std::size_t, 4>{1, 1, 0, 0}));
    EXPECT_EQ(after.eeprom[2], before.eeprom[2]);
    EXPECT_EQ(after.eeprom[3], before.eeprom[3]);
    EXPECT_TRUE(trace.Contains("Slot 3 not in the configuration file"));
}

TEST(ConfigExport, FailedExportLeavesTheExistingFileAlone) {
    ConfigRig rig;
    const std::vector<std::uint8_t> precious = {'k', 'e', 'e', 'p'};
    WriteBytes(rig.file, precious);
    rig.InjectNext(sim::Fault::Silent);
    TraceCapture trace;
    EXPECT_FALSE(rig.Export());
    EXPECT_TRUE(trace.Contains("Read EEPROM data or SysConfig Failed!"));
    EXPECT_EQ(ReadBytes(rig.file), precious);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.dir.Path()), {}), 1);
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
}

TEST(ConfigExport, UnusablePlacesAndFilesFailBeforeTalkingToTheLaser) {
    ConfigRig rig;
    TraceCapture trace;
    EXPECT_FALSE(rig.controller->exportConfig(rig.dir / "missing" / "laser.tcfg"));
    EXPECT_FALSE(rig.controller->exportConfig(rig.dir.Path()));
    EXPECT_EQ(trace.Count("Cannot open export file"), 2u);
    EXPECT_FALSE(rig.Import()); // nothing was exported
    EXPECT_TRUE(trace.Contains("Error opening config file."));
#if !defined(_WIN32) // FIFOs and /dev/zero are POSIX's
    // A FIFO would block the import for good, a device would never end.
    ASSERT_EQ(::mkfifo(rig.file.c_str(), 0600), 0);
    EXPECT_FALSE(rig.Import());
    EXPECT_FALSE(rig.controller->importConfig("/dev/zero"));
    EXPECT_EQ(trace.Count("Error opening config file: not a regular file."), 2u);
#endif
    EXPECT_TRUE(rig.laser.History().empty());
}

TEST(ConfigExport, HeartbeatStaysPausedForTheWholeExchange) {
    ConfigRig rig;
    std::vector<bool> paused;
    rig.laser.SetHandler(kSysConfigCmd, [&](const sim::SimRequest&, sim::SimReply&) {
        paused.push_back(rig.controller->HeartbeatPaused());
    });
    ASSERT_TRUE(rig.Export());
    EXPECT_EQ(paused, std::vector<bool>{true});
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
}

TEST(ConfigExport, CachesOnlyModeExportsAndImportsWithoutTheLaser) {
    ConfigRig rig(1);
    rig.controller->SetOperatingMode(operating_mode::kCachesOnly);
    rig.controller->UpdateCache([](LaserCache& c) {
        for (std::size_t slot = 0; slot < 4; ++slot)
            c.eeprom[slot].fill(static_cast<std::uint8_t>(0x10 + slot));
        c.sysConfig.fill(0x77);
    });
    ASSERT_TRUE(rig.Export());
    const auto file = ReadBytes(rig.file);
    EXPECT_EQ(std::vector(file.begin() + 2, file.begin() + 6), std::vector<std::uint8_t>(4, 1));
    EXPECT_EQ(FileImage(file, 3)[0], 0x13);

    rig.controller->UpdateCache([](LaserCache& c) {
        for (auto& record : c.eeprom)
            record.fill(0);
        c.sysConfig.fill(0);
    });
    ASSERT_TRUE(rig.Import());
    const LaserCache cache = rig.Cache();
    EXPECT_EQ(cache.eeprom[3][0], 4);
    EXPECT_EQ(cache.eeprom[3][1], 0x13);
    EXPECT_EQ(cache.sysConfig[0], 0x77);
    EXPECT_TRUE(rig.laser.History().empty());
}

// Every way a file can be wrong ends the import before the laser is written.
struct BadFile {
    const char* name;
    void (*spoil)(std::vector<std::uint8_t>&);
    const char* trace;
    bool readsTheLaser;
};
void PrintTo(const BadFile& param, std::ostream* os) {
    *os << param.name;
}

class BadConfigFiles : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadConfigFiles, AreRefusedBeforeAnyWrite) {
    ConfigRig rig;
    ASSERT_TRUE(rig.Export());
    auto file = ReadBytes(rig.file);
    GetParam().spoil(file);
    WriteBytes(rig.file, file);
    rig.laser.ClearHistory();

    TraceCapture trace;
    std::string why;
    EXPECT_FALSE(rig.controller->importConfig(rig.file, {}, &why));
    EXPECT_TRUE(trace.Contains(GetParam().trace));
    EXPECT_EQ(why, GetParam().trace); // the reason a front end shows is the one traced
    EXPECT_EQ(rig.ConfigWrites(), 0u);
    EXPECT_EQ(rig.laser.History().empty(), !GetParam().readsTheLaser);
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadConfigFiles,
    ::testing::Values(
        BadFile{"OneByteShort", [](auto& f) { f.pop_back(); }, "Invalid file format", false},
        BadFile{"OneByteFile", [](auto& f) { f.resize(1); }, "Could not read version", false},
        BadFile{"Version3", [](auto& f) { f[0] = 3; }, "Unsupported version", false},
        // A short file with a wrong version is refused for the version first.
        BadFile{"ShortVersion3",
                [](auto& f) {
                    f[0] = 3;
                    f.resize(100);
                },
                "Unsupported version", false},
        BadFile{"FlippedByte", [](auto& f) { f[2000] ^= 0x40; }, "Error - CRC mismatched", false},
        BadFile{"Empty", [](auto& f) { f.clear(); }, "Could not read version", false},
        BadFile{"ForeignSerial",
                [](auto& f) {
                    f[3782 + 36 + 6] = '3';
                    ResealCrc(f);
                },
                "Error - Model number or serial number mismatched", true},
        BadFile{"ForeignModel",
                [](auto& f) {
                    f[3782 + 12] = 'X';
                    ResealCrc(f);
                },
                "Error - Model number or serial number mismatched", true}),
    [](const ::testing::TestParamInfo<BadFile>& param) { return std::string(param.param.name); });

TEST(ConfigImport, AnUnreadableSysConfigRefusesItAndAFailedSlotWriteKeepsTheLasersImage) {
    ConfigRig rig;
    ASSERT_TRUE(rig.Export());
    // Without the laser's identity a stale cache would decide whether the file fits.
    rig.InjectFor(kSysConfigCmd, sim::Fault::Silent);
    EXPECT_FALSE(rig.Import());
    EXPECT_EQ(rig.ConfigWrites(), 0u);

    // The laser's images now differ from the file's.
    rig.laser.Modify([](sim::SimState& s) {
        for (auto& record : s.config.eeprom)
            record[300] ^= 0xff;
    });
    std::vector<std::uint8_t> written;
    rig.laser.SetHandler(kEepromCmd, [&](const sim::SimRequest& request, sim::SimReply& reply) {
        const std::uint8_t slot = request.payload[0];
        if (request.disposition == kWrite) {
            written.push_back(slot);
            reply.status = slot == 1 ? 1 : 0;
            return;
        }
        const auto record = rig.LaserConfig().eeprom[slot - 1];
        std::copy(record.begin(), record.end(), reply.payload.begin());
    });
    TraceCapture trace;
    EXPECT_FALSE(rig.Import());
    EXPECT_EQ(written, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_TRUE(trace.Contains("Error - writing sysconfig or eeprom data."));
    // The refused slot keeps what the laser still holds; the others hold the file's images.
    const LaserCache cache = rig.Cache();
    const EepromImage kept = HostImage(rig.LaserConfig().eeprom[0]);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), cache.eeprom[0].begin() + 1));
    const auto file = ReadBytes(rig.file);
    const auto imported = FileImage(file, 1);
    EXPECT_TRUE(std::equal(imported.begin(), imported.end(), cache.eeprom[1].begin() + 1));
}

TEST(ConfigCommands, EepromWriteSendsBackWhatWasReadAndOutOfRangeSlotsSendNothing) {
    ConfigRig rig;
    EXPECT_FALSE(rig.controller->ReadWriteEEPROMData(false, 0));
    EXPECT_FALSE(rig.controller->ReadWriteEEPROMData(true, 5));
    EXPECT_TRUE(rig.laser.History().empty());
    ASSERT_TRUE(rig.controller->ReadWriteEEPROMData(false, 2));
    const EepromRecord onLaser = rig.LaserConfig().eeprom[1];

    // In the cache: the zero field cleared and the table in host order.
    const LaserCache cache = rig.Cache();
    EXPECT_EQ(cache.eeprom[1][0], 2);
    EXPECT_EQ(be::GetU32(&cache.eeprom[1][1]), 0u);
    std::uint16_t firstEntry = 0;
    std::memcpy(&firstEntry, &cache.eeprom[1][217], 2);
    EXPECT_EQ(firstEntry, be::GetU16(&onLaser[217]));

    rig.laser.ClearHistory();
    ASSERT_TRUE(rig.controller->ReadWriteEEPROMData(true, 2));
    const auto history = rig.laser.History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].first, kEepromCmd);
    EepromRecord expected = onLaser;
    std::memset(expected.data() + 1, 0, 4);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), history[0].second.begin()));
}

TEST(ConfigCommands, ReadAllStopsAtTheFirstFailureAndSucceedsWithoutQcls) {
    ConfigRig rig(3);
    rig.InjectFor(kEepromCmd, sim::Fault::Nak);
    EXPECT_FALSE(rig.controller->ReadAllEEPROMData());
    EXPECT_EQ(rig.laser.Executed(kEepromCmd), 0u);
    EXPECT_EQ(rig.transport->Sent().size(), 1u);

    ConfigRig none(0);
    EXPECT_TRUE(none.controller->ReadAllEEPROMData());
    EXPECT_TRUE(none.laser.History().empty());
}
