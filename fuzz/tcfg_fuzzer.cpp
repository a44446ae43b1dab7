// The ".tcfg" import on any file. A file the import refuses writes nothing to the laser; one it
// accepts leaves the laser holding the file's images, as a fresh export shows.
//
// Input: one flags byte (bit 0: give the file a matching CRC, so that the checks behind the CRC
// see mutated content), then the file.
#include "FuzzSupport.h"
#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "files/ConfigFile.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace tarvex;

namespace {

std::filesystem::path ScratchFile(const char* name) {
    return std::filesystem::temp_directory_path() /
           ("tarvex-tcfg-fuzzer-" + std::to_string(::getpid()) + "-" + name);
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::size_t ConfigWrites(fuzz::LaserRig& rig) {
    return rig.embedded.laser.Inspect([](const sim::SimState& s) {
        std::size_t writes = s.config.sysConfigWrites;
        for (std::size_t n : s.config.eepromWrites)
            writes += n;
        return writes;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const std::uint8_t flags = input.Byte();
    const auto rest = input.Rest();
    std::vector<std::uint8_t> bytes(rest.begin(), rest.end());
    if ((flags & 1) != 0 && bytes.size() >= kConfigFileSize)
        le::PutU16(bytes.data() + kConfigFileCrcOffset,
                   Crc16(0, bytes.data(), kConfigFileCrcOffset));

    static const auto file = ScratchFile("import.tcfg");
    static const auto exported = ScratchFile("export.tcfg");
    WriteFile(file, bytes);
    ConfigFile decoded;
    const bool decodes = DecodeConfigFile(bytes, decoded) == nullptr;

    fuzz::LaserRig rig;
    rig.controller.UpdateCache([](LaserCache& c) { c.admin.num_qcls = 4; });
    std::string why;
    const bool imported = rig.controller.importConfig(file, {}, &why);
    if (!imported) {
        fuzz::Check(!why.empty(), "a refused import without a reason");
        fuzz::Check(ConfigWrites(rig) == 0, "a refused import wrote to the laser");
        return 0;
    }
    fuzz::Check(decodes, "an import accepted a file that does not decode");

    ConfigFile after;
    fuzz::Check(rig.controller.exportConfig(exported) && ReadConfigFile(exported, after) == nullptr,
                "no export after an import");
    fuzz::Check(after.sysConfig == decoded.sysConfig, "the laser's SysConfig is not the file's");
    // An image starts with the firmware's write counter, which the controller sends and keeps
    // as zero whatever the file says.
    constexpr std::ptrdiff_t kWriteCounterSize = 4;
    for (std::size_t slot = 0; slot < kConfigFileSlots; ++slot)
        fuzz::Check(!decoded.eepromValid[slot] ||
                        std::equal(after.eepromData[slot].begin() + kWriteCounterSize,
                                   after.eepromData[slot].end(),
                                   decoded.eepromData[slot].begin() + kWriteCounterSize),
                    "a slot's EEPROM image is not the file's");
    return 0;
}
