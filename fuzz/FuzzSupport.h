#pragma once

#include "Clock.h"
#include "EmbeddedLaser.h"
#include "InProcessTransport.h"
#include "KTarvexController.h"
#include "codec/KTarvexCommand.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvex::fuzz {

// A fuzzer's input read from the front, one field at a time; past its end every field reads as
// zero and every run of bytes as empty, so that any input is a complete script.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return offset_ >= size_; }
    std::uint8_t Byte();
    std::uint16_t U16(); // big-endian, as on the wire
    std::uint32_t U32();
    // Up to `count` bytes (fewer at the end of the input).
    std::span<const std::uint8_t> Bytes(std::size_t count);
    std::span<const std::uint8_t> Rest() { return Bytes(size_ - offset_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

// A packet of the laser protocol whose CRC matches; the header's length is kept as given.
std::vector<std::uint8_t> Packet(const PacketHeader& header, std::span<const std::uint8_t> payload);

// A firmware frame to the boot loader, its Crc8 matching; no data makes the end frame.
std::vector<std::uint8_t> FirmwareFrame(std::uint32_t address, std::span<const std::uint8_t> data);

// The simulated laser on simulated time with a controller wired to it in process: a fresh one
// per input, so that every finding replays from its input alone.
struct LaserRig {
    explicit LaserRig(sim::LaserProfile profile = sim::LaserProfile::Default());

    ManualClock clock;
    sim::EmbeddedLaser embedded;
    KTarvexController controller{ControllerProfile::Panel(), &clock};
    sim::InProcessTransport* transport = nullptr; // owned by the controller
};

// Ends the run with `what` on standard error; libFuzzer keeps the input as a finding.
[[noreturn]] void Fail(const char* what);
inline void Check(bool holds, const char* what) {
    if (!holds)
        Fail(what);
}

} // namespace tarvex::fuzz
