#pragma once

#include "records/ConfigImages.h"
#include "state/FirmwareUpdateSimState.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarvex::sim {

// The controller's non-volatile configuration, held as the firmware keeps it: big-endian
// fields, each EEPROM record led by its slot byte. It survives every write.
struct ConfigSimState {
    std::array<std::array<std::uint8_t, kEepromPayloadSize>, 4> eeprom{};
    SysConfigImage sysConfig{};
    std::array<std::size_t, 4> eepromWrites{};
    std::size_t sysConfigWrites = 0;

    FirmwareUpdateSimState firmwareUpdate;
};

} // namespace tarvex::sim
