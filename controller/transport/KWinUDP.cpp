#include "transport/KWinUDP.h"

#include "Trace.h"

#include <chrono>

namespace tarvex {

namespace {
constexpr std::size_t kScratchSize = 2048;
}

KWinUDP::~KWinUDP() {
    Close();
}

int KWinUDP::Open(std::uint32_t address, std::uint16_t port, std::uint32_t localAddress) {
    address_ = address;
    port_ = port;
    // The laser may answer to its own port number, so the host listens on that port too.
    socket_ = OpenUdpSocket(localAddress, port);
    return socket_ ? 0 : 1;
}

void KWinUDP::SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    if (!socket_)
        return;
    if (readMs != 0)
        readTimeoutMs_ = static_cast<int>(readMs);
    if (writeMs != 0 && !socket_->SetSendTimeout(writeMs))
        Trace("setsockopt failed SO_SNDTIMEO");
}

void KWinUDP::Close() {
    socket_.reset();
}

int KWinUDP::Purge() {
    if (!socket_)
        return 1;
    // Datagrams that arrived late would otherwise be read as the answers to the next attempt,
    // and every retry would add to the backlog.
    std::uint8_t scratch[kScratchSize];
    UdpSocket::Datagram datagram;
    while (socket_->Receive(scratch, sizeof scratch, 0, datagram)) {
    }
    return 0;
}

std::size_t KWinUDP::SendByteList(const std::uint8_t* bytes, std::size_t count) {
    if (!socket_ || !socket_->SendTo(address_, port_, bytes, count)) {
        Trace("Error in sendto");
        return 0;
    }
    return count;
}

std::size_t KWinUDP::ReadByteList(std::uint8_t* bytes, std::size_t count) {
    if (!socket_)
        throw NoBytesToRead{};
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
    for (;;) {
        int wait = -1;
        if (readTimeoutMs_ >= 0) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            wait = left.count() < 0 ? 0 : static_cast<int>(left.count());
        }
        UdpSocket::Datagram datagram;
        if (!socket_->Receive(bytes, count, wait, datagram))
            throw NoBytesToRead{};
        if (datagram.fromAddress != address_ || datagram.fromPort != port_) {
            ++foreign_; // another host must not be able to inject acks or responses
            continue;
        }
        if (datagram.size != count)
            throw NoBytesToRead{};
        return count;
    }
}

std::intptr_t KWinUDP::GetHandle() const {
    return socket_ ? socket_->Handle() : -1;
}

} // namespace tarvex
