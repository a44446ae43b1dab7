#include "UdpAttachment.h"

#include "KTarvexCommand.h"

namespace tarvex::sim {

UdpAttachment::UdpAttachment(SimLink& link, Clock& clock, std::uint32_t address, std::uint16_t port)
    : link_(link), clock_(clock), address_(address) {
    socket_ = OpenUdpSocket(address, port);
    if (!socket_)
        return;
    port_ = socket_->LocalPort();
    thread_ = std::thread([this] { Run(); });
}

UdpAttachment::~UdpAttachment() {
    stop_.store(true);
    if (thread_.joinable())
        thread_.join();
}

void UdpAttachment::Run() {
    // The receive wait is short so that a stop request is seen soon.
    constexpr int kPollMs = 20;
    std::uint8_t buffer[kMaxWireSize + 64];
    while (!stop_.load()) {
        UdpSocket::Datagram datagram;
        if (!socket_->Receive(buffer, sizeof buffer, kPollMs, datagram))
            continue;
        if (datagram.size > sizeof buffer)
            continue; // larger than any packet: not for us
        for (const auto& output : link_.OnDatagram(buffer, datagram.size)) {
            if (output.delayMs > 0)
                clock_.SleepMs(output.delayMs);
            socket_->SendTo(datagram.fromAddress, datagram.fromPort, output.bytes.data(),
                            output.bytes.size());
        }
    }
}

} // namespace tarvex::sim
