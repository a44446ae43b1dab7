#pragma once

#include "SimLink.h"
#include "transport/UdpSocket.h"

#include <atomic>
#include <memory>
#include <thread>

namespace tarvex::sim {

// Puts the simulated laser on a UDP port. Each ack/nak and response goes back to the sender of
// the command as a datagram of its own.
class UdpAttachment {
public:
    // Port 0 binds any free port; Port() tells which.
    UdpAttachment(SimLink& link, Clock& clock, std::uint32_t address, std::uint16_t port);
    ~UdpAttachment();
    UdpAttachment(const UdpAttachment&) = delete;
    UdpAttachment& operator=(const UdpAttachment&) = delete;

    bool IsOpen() const { return socket_ != nullptr; }
    // Returns once every datagram sent to the laser so far has been answered (or after
    // `limitMs`). Tests on simulated time call it where the host would wait for real, so that a
    // late reply is where it would be after that wait.
    void WaitIdle(int limitMs = 1000);
    std::uint32_t Address() const { return address_; }
    std::uint16_t Port() const { return port_; }

private:
    void Run();

    SimLink& link_;
    Clock& clock_;
    std::uint32_t address_;
    std::uint16_t port_ = 0;
    std::unique_ptr<UdpSocket> socket_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> busy_{false};
    std::thread thread_;
};

} // namespace tarvex::sim
