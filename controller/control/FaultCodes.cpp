#include "control/FaultCodes.h"

#include "SortedTable.h"

#include <algorithm>
#include <utility>

namespace tarvex::control {
namespace {

// Sorted by code.
constexpr std::pair<std::uint16_t, const char*> kTexts[] = {
    {0, "None"},
    {1, "Fail"},
    {2, "No QCL at this slot"},
    {10, "CMD disposition failure"},
    {11, "Invalid CMD ID"},
    {12, "CMD length failure"},
    {13, "CMD invalid channel"},
    {20, "TEC 1 Error"},
    {21, "TEC 2 Error"},
    {22, "TEC 3 Error"},
    {23, "TEC 4 Error"},
    {24, "Bench temp too high"},
    {25, "Bench temp too low"},
    {26, "TEC 1 thermal runaway"},
    {27, "TEC 2 thermal runaway"},
    {28, "TEC 3 thermal runaway"},
    {29, "TEC 4 thermal runaway"},
    {30, "QCL 1 motion fault"},
    {31, "QCL 2 motion fault"},
    {32, "QCL 3 motion fault"},
    {33, "QCL 4 motion fault"},
    {35, "QCL 1 motion stall"},
    {36, "QCL 2 motion stall"},
    {37, "QCL 3 motion stall"},
    {38, "QCL 4 motion stall"},
    {40, "QCL 1 motion bad config"},
    {41, "QCL 2 motion bad config"},
    {42, "QCL 3 motion bad config"},
    {43, "QCL 4 motion bad config"},
    {45, "QCL 1 cannot home"},
    {46, "QCL 2 cannot home"},
    {47, "QCL 3 cannot home"},
    {48, "QCL 4 cannot home"},
    {50, "QCL 1 config CRC bad"},
    {51, "QCL 2 config CRC bad"},
    {52, "QCL 3 config CRC bad"},
    {53, "QCL 4 config CRC bad"},
    {55, "Cannot generate default favorite"},
    {60, "QCL 1 home fault detected"},
    {61, "QCL 2 home fault detected"},
    {62, "QCL 3 home fault detected"},
    {63, "QCL 4 home fault detected"},
    {65, "Case Temp 1 Sensor Faulty Reading"},
    {66, "Case Temp 2 Sensor Faulty Reading"},
    {67, "All Case Temps Have Faulty Readings"},
};
static_assert(SortedByKey(kTexts));

} // namespace

const char* FaultText(std::uint16_t code) {
    return FindByKey(kTexts, code, "Unknown fault code");
}

std::vector<std::uint16_t>
NewestFirst(const std::array<std::uint16_t, SystemErrorsList::kRingSize>& ring, std::uint16_t index,
            std::size_t count) {
    constexpr std::size_t kSize = SystemErrorsList::kRingSize;
    std::vector<std::uint16_t> codes;
    std::size_t slot = index % kSize;
    for (std::size_t n = 0; n < std::min(count, kSize); ++n) {
        slot = (slot + kSize - 1) % kSize;
        codes.push_back(ring[slot]);
    }
    return codes;
}

} // namespace tarvex::control
