#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace tarvex::sim {

// The largest image either boot loader can hold: the size of the flash behind it. A frame or
// block that reaches past it is refused and nothing of it is stored.
inline constexpr std::size_t kLargestFirmwareImage = 16u << 20;

// Faults of the firmware-update mode, where the packet faults of the link do not apply. Each
// count spoils the next that many frames or blocks.
struct FirmwareUpdateFaults {
    int corruptReplies = 0; // a data frame's reply carries a wrong Crc8 byte (the frame is kept)
    int silentFrames = 0;   // a data frame is lost: no reply, nothing stored
    int failBlocks = 0;     // a motion-board block is refused
    std::optional<std::uint8_t> endReply; // the end frame is answered with this instead of 3
    bool neverReady = false;              // the flash erase never ends
};

// The boot loader's side of an update: the type in progress, the frame being received and the
// images as they arrived (bit-reversed, as the host sends them), for tests to compare.
struct FirmwareUpdateSimState {
    std::uint8_t type = 0;             // the update in progress; 0 for none
    bool rawMode = false;              // controller image frames come instead of packets
    std::uint32_t eraseMs = 1500;      // from the start command to the ready byte
    std::vector<std::uint8_t> pending; // a frame not yet complete
    std::uint64_t lastRawByteMs = 0;

    std::vector<std::uint8_t> image;       // controller image, by address
    std::vector<std::uint8_t> motionImage; // motion-board image, by offset
    // Data frames and motion-board blocks accepted, as (address, length), in order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> writes;
    std::size_t badFrames = 0;               // frames dropped for a wrong Crc8
    std::size_t framesPastFlash = 0;         // intact frames and blocks beyond the image's room
    std::optional<std::uint32_t> endAddress; // the end frame's total, once it came

    FirmwareUpdateFaults faults;
};

} // namespace tarvex::sim
