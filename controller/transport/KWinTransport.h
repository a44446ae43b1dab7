#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarvex {

// Thrown by the panel's transports when fewer bytes arrive than were asked for in time. The
// SDK's transports report a short count instead.
struct NoBytesToRead {};

enum TransportType : int {
    kTransportSerial = 1,
    kTransportUdp = 2,
};

// A byte pipe to the laser. Knows nothing of packets; not thread-safe (the controller's
// transaction lock serialises every use).
class KWinTransport {
public:
    virtual ~KWinTransport() = default;

    virtual void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual void Close() = 0;
    // Drops whatever waits to be read or written. 0 on success.
    virtual int Purge() = 0;
    // Returns the number of bytes handed to the channel.
    virtual std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) = 0;
    // Reads `count` bytes: throws NoBytesToRead or returns fewer, by the transport's kind.
    virtual std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) = 0;
    // One byte, or NoBytesToRead. The firmware update's ready wait reads this way.
    virtual std::uint8_t ReadByte();
    virtual std::size_t BytesAvailable() { return 0; }
    virtual bool IsUsb() const { return false; }
    // The OS handle or socket, -1 when there is none.
    virtual std::intptr_t GetHandle() const { return -1; }
};

// The panel's transports: a serial port for type 1, UDP for type 2, none for any other value.
std::unique_ptr<KWinTransport> CreateTransport(int type);

} // namespace tarvex
