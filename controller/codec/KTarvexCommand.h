#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvex {

// What a packet asks or answers (byte 3 of the header).
enum Disposition : std::uint8_t {
    kRead = 1,
    kWrite = 2,
    kExecute = 3,
    kResponse = 4,
};
inline constexpr std::uint8_t kNakBit = 0x80;

inline constexpr std::size_t kHeaderSize = 10;
inline constexpr std::size_t kCrcSize = 2;
inline constexpr std::size_t kAckPacketSize = kHeaderSize + kCrcSize;
inline constexpr std::size_t kMaxPacketLength = 1015; // header plus payload, CRC not counted
inline constexpr std::size_t kMaxPayloadSize = kMaxPacketLength - kHeaderSize;
inline constexpr std::size_t kMaxWireSize = kMaxPacketLength + kCrcSize;

struct PacketHeader {
    std::uint8_t reserved = 0;
    std::uint16_t cmdID = 0;
    std::uint8_t disposition = 0;
    std::uint16_t seqnum = 0;
    std::uint16_t status = 0;
    std::uint16_t length = 0;
};

// One packet of the laser protocol: a command the host sends, or an ack/nak or response it
// receives. Commands take the next process-wide sequence number when constructed; a command that
// is sent again keeps its number.
class KTarvexCommand {
public:
    // An empty packet, to be filled by ProcessPacket.
    KTarvexCommand();
    KTarvexCommand(std::uint16_t cmdID, std::uint8_t disposition);
    virtual ~KTarvexCommand() = default;

    KTarvexCommand(const KTarvexCommand&) = default;
    KTarvexCommand& operator=(const KTarvexCommand&) = default;

    // Header plus payload length of a command id; 10 for an id the table does not know.
    static std::uint16_t CommandLength(std::uint16_t cmdID);
    static std::uint16_t ResponseLength(std::uint16_t cmdID);
    static bool IsKnownCommand(std::uint16_t cmdID);

    std::uint16_t GetCommandLength() const { return CommandLength(header_.cmdID); }
    std::uint16_t GetResponseLength() const { return ResponseLength(header_.cmdID); }
    std::size_t PayloadSize() const { return GetCommandLength() - kHeaderSize; }

    // Serialises the packet. `size` is the buffer's capacity on entry and the number of bytes to
    // send on return; a missing or small buffer gives false with `size` set to what is needed.
    bool GetPacket(std::uint8_t* buffer, std::size_t& size) const;

    // Loads a received packet of `count` bytes, CRC included. False (and nothing loaded) when
    // the CRC does not match.
    bool ProcessPacket(const std::uint8_t* bytes, std::size_t count);

    PacketHeader& GetHeader() { return header_; }
    const PacketHeader& GetHeader() const { return header_; }
    std::uint8_t* GetData() { return payload_; }
    const std::uint8_t* GetData() const { return payload_; }
    bool IsNak() const { return nak_; }

    // The sequence number the next constructed command will take.
    static std::uint16_t PeekNextSequenceNumber();
    static void SetNextSequenceNumber(std::uint16_t next);

private:
    PacketHeader header_;
    std::uint8_t payload_[kMaxPayloadSize];
    bool nak_ = false;
};

} // namespace tarvex
