#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarvex {

// An IPv4 datagram socket. Addresses and ports are in host byte order.
class UdpSocket {
public:
    virtual ~UdpSocket() = default;

    virtual bool SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* bytes,
                        std::size_t count) = 0;

    struct Datagram {
        // The datagram's full size, even when it did not fit; where the platform keeps no count
        // of what did not fit (Windows), capacity + 1.
        std::size_t size = 0;
        std::uint32_t fromAddress = 0;
        std::uint16_t fromPort = 0;
    };
    // Receives one datagram into `bytes` (at most `capacity` of it is kept). False when none
    // arrives within `timeoutMs` (negative: wait without limit).
    virtual bool Receive(std::uint8_t* bytes, std::size_t capacity, int timeoutMs,
                         Datagram& datagram) = 0;
    virtual bool SetSendTimeout(std::uint32_t ms) = 0;
    // Whether a datagram waits to be received, waiting up to `timeoutMs` for one (0: just look).
    virtual bool WaitPending(int timeoutMs) const = 0;
    virtual std::uint16_t LocalPort() const = 0;
    virtual std::intptr_t Handle() const = 0;
};

// A socket bound to `localAddress`:`localPort` (port 0: any free port). Null when it cannot be
// bound.
std::unique_ptr<UdpSocket> OpenUdpSocket(std::uint32_t localAddress, std::uint16_t localPort);

// "192.0.2.10" to 0xC000020A; false for text that is no dotted IPv4 address.
bool ParseIpv4(const char* text, std::uint32_t& address);

// A dotted IPv4 address, or the first IPv4 address of a host name; false when there is none
// (and for an empty name, which Windows would take for this computer).
bool ResolveIpv4(const char* host, std::uint32_t& address);

} // namespace tarvex
