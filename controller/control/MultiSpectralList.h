#pragma once

#include "control/Preconditions.h"
#include "records/ScanRecords.h"

#include <cstdint>
#include <vector>

namespace tarvex::control {

// The list of a multi-spectral scan as a caller builds it: it announces how many elements it
// will add, adds them one by one (each range-checked in the unit it comes in), and the scan
// starts only with exactly the announced number. The list stays after a start, so that the same
// scan can be started again.
class MultiSpectralList {
public:
    static constexpr std::size_t kMaxElements = MultiSpectralParams::kMaxElements;

    // Empties the list and expects `count` elements (TooManyElements above 20, list unchanged).
    Refusal Announce(std::uint8_t count);
    // Checks `ww` against the laser's tuning range in `unit`; then `unit` becomes the list's unit
    // (even when the list turns out to be full: ListFull), and the element is appended.
    Refusal Add(Preconditions& checks, float ww, std::uint8_t unit, std::uint32_t dwellTime,
                std::uint32_t offTime);
    // ListIncomplete unless the list holds the announced number of elements.
    Refusal Complete() const;

    std::uint8_t Announced() const { return announced_; }
    std::size_t Size() const { return elements_.size(); }
    // The unit of the last element added (0 before any).
    std::uint8_t Unit() const { return unit_; }
    // The elements in the list's unit: one added in the other unit is converted, so that a list
    // of mixed units still names the wavelengths it was given.
    std::vector<MultiSpectralElement> Elements() const;

private:
    struct Entry {
        MultiSpectralElement element;
        std::uint8_t unit = 0;
    };
    std::vector<Entry> elements_;
    std::uint8_t announced_ = 0;
    std::uint8_t unit_ = 0;
};

} // namespace tarvex::control
