#pragma once

#include "FaultInjector.h"
#include "SimLaser.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace tarvex::sim {

// One unit the laser sends back: an ack/nak or a response, possibly held back by a delay.
struct SimOutput {
    std::vector<std::uint8_t> bytes;
    std::uint32_t delayMs = 0;
};

// The laser's end of the link: frames incoming bytes into packets, checks them, runs them on the
// model and builds the ack/nak and response, spoiled as the fault injector says.
class SimLink {
public:
    SimLink(SimLaser& laser, FaultInjector& faults);

    // Bytes from a stream (serial line, pseudo-terminal). Packets may arrive in pieces.
    std::vector<SimOutput> OnStreamBytes(const std::uint8_t* bytes, std::size_t count);
    // One datagram holds one packet.
    std::vector<SimOutput> OnDatagram(const std::uint8_t* bytes, std::size_t count);

    struct Stats {
        std::size_t packets = 0;       // intact packets received
        std::size_t crcErrors = 0;     // packets dropped for a bad CRC
        std::size_t framingErrors = 0; // bytes discarded that formed no packet
        std::size_t naks = 0;
    };
    Stats GetStats() const;

    // A partial packet older than this is discarded when new bytes arrive, as the firmware's
    // receiver resets after a pause in the byte stream.
    static constexpr std::uint64_t kInterByteResetMs = 100;

private:
    std::vector<SimOutput> OnPacket(const std::uint8_t* bytes, std::size_t count);
    // Answers every packet the stream holds. Bytes that start no intact packet are passed over
    // up to the next plausible header, so that a packet behind noise in the same burst is
    // answered at once rather than after the receiver's pause.
    void DrainFrames(std::vector<SimOutput>& out);
    // A header the host could have sent at `at`: reserved byte 0, a known disposition and a
    // length a packet can have. The whole header must be in the buffer.
    bool PlausibleHeaderAt(std::size_t at) const;
    // Whether the packet at `at` is all there and its CRC matches.
    bool IntactAt(std::size_t at) const;
    // The first offset from `from` on where a packet could start; the buffer's size if none.
    std::size_t NextPlausibleHeader(std::size_t from) const;
    // The offset of the first intact packet behind the head, if the buffer holds one.
    std::optional<std::size_t> NextIntactPacket() const;
    void Discard(std::size_t count);

    SimLaser& laser_;
    FaultInjector& faults_;
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> rx_;
    std::uint64_t lastByteMs_ = 0;
    std::vector<std::uint8_t> lastAck_;
    Stats stats_;
};

} // namespace tarvex::sim
