#include "UdpAttachment.h"

#include "codec/KTarvexCommand.h"

#include <chrono>

namespace tarvex::sim {
namespace {

struct BusyGuard {
    explicit BusyGuard(std::atomic<bool>& flag) : flag_(flag) {}
    ~BusyGuard() { flag_.store(false); }
    std::atomic<bool>& flag_;
};

} // namespace

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
        if (!socket_->WaitPending(kPollMs))
            continue;
        // Busy before the datagram leaves the queue, so that WaitIdle never sees neither.
        busy_.store(true);
        BusyGuard guard(busy_);
        UdpSocket::Datagram datagram;
        if (!socket_->Receive(buffer, sizeof buffer, 0, datagram))
            continue;
        if (datagram.size > sizeof buffer)
            continue; // larger than any packet: not for us
        // A delay counts from the command's arrival, as in process.
        std::uint32_t waited = 0;
        for (const auto& output : link_.OnDatagram(buffer, datagram.size)) {
            if (output.delayMs > waited) {
                clock_.SleepMs(output.delayMs - waited);
                waited = output.delayMs;
            }
            socket_->SendTo(datagram.fromAddress, datagram.fromPort, output.bytes.data(),
                            output.bytes.size());
        }
    }
}

} // namespace tarvex::sim

namespace tarvex::sim {

void UdpAttachment::WaitIdle(int limitMs) {
    if (!socket_)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!socket_->WaitPending(0) && !busy_.load())
            return;
        std::this_thread::yield();
    }
}

} // namespace tarvex::sim
