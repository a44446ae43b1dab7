#pragma once

#include "transport/KWinTransport.h"
#include "transport/UdpSocket.h"

#include <memory>

namespace tarvex {

// The panel's Ethernet transport: one datagram per packet to and from the laser's address and
// port. Only the laser's own datagrams are read; anything else arriving on the port is dropped.
class KWinUDP final : public KWinTransport {
public:
    KWinUDP() = default;
    ~KWinUDP() override;

    // Binds the laser's port on `localAddress` (0: any local address; a simulator on the same
    // machine needs a second loopback address). Returns 0 on success, 1 when the bind fails.
    int Open(std::uint32_t address, std::uint16_t port, std::uint32_t localAddress = 0);

    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    void Close() override;
    // Drops the datagrams already queued. A reply still on its way arrives later. 0 on success.
    int Purge() override;
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override;
    // Receives the laser's next datagram; throws NoBytesToRead unless it holds exactly `count`
    // bytes (a datagram of another size is lost) or when none comes within the read time-out.
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override;
    std::intptr_t GetHandle() const override;

    std::uint32_t Address() const { return address_; }
    std::uint16_t Port() const { return port_; }
    // Datagrams from other senders dropped since the transport was opened.
    std::size_t ForeignDatagrams() const { return foreign_; }

private:
    std::unique_ptr<UdpSocket> socket_;
    std::uint32_t address_ = 0;
    std::uint16_t port_ = 0;
    int readTimeoutMs_ = -1;
    std::size_t foreign_ = 0;
};

} // namespace tarvex
