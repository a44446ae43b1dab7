#pragma once

#include "KTarvexController.h"

#include <algorithm>
#include <cstdint>

namespace tarvex::control {

// The galvo's displacement goes to the laser in 11 bits.
inline constexpr std::uint16_t kMaxGalvoDisplacement = 2047;

inline std::uint16_t ClampGalvoDisplacement(std::uint16_t displacement) {
    return std::min(displacement, kMaxGalvoDisplacement);
}

// Writes the galvo's laser switching: on or off at `displacement`, the flip count restarted.
inline bool WriteGalvoLaser(KTarvexController& controller, bool enabled,
                            std::uint16_t displacement) {
    std::lock_guard lock(controller.TransactionMutex());
    controller.UpdateCache([&](LaserCache& c) {
        c.galvoLaser = {.en = static_cast<std::uint8_t>(enabled ? 1 : 0),
                        .disp = ClampGalvoDisplacement(displacement),
                        .flips = 0};
    });
    return controller.ReadWriteGalvoLaserEnable(true);
}

} // namespace tarvex::control
