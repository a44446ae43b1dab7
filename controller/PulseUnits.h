#pragma once

#include "records/LaserRecords.h"

#include <cstdint>

namespace tarvex::units {

// A pulse rate given in `unit` (kHz, kKHz, kMHz) in Hz; an unknown code leaves it as it is.
inline float RateInHz(float rate, std::uint8_t unit) {
    switch (unit) {
    case kKHz:
        return rate * 1000.0f;
    case kMHz:
        return rate * 1000000.0f;
    default:
        return rate;
    }
}

// A pulse width given in `unit` (kMs, kUs, kNs) in ns; an unknown code leaves it as it is.
inline float WidthInNs(float width, std::uint8_t unit) {
    switch (unit) {
    case kMs:
        return width * 1000000.0f;
    case kUs:
        return width * 1000.0f;
    default:
        return width;
    }
}

} // namespace tarvex::units
