#pragma once

#include "Clock.h"
#include "SimLink.h"
#include "transport/KWinTransport.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace tarvex::sim {

// A transport that hands the host's bytes straight to the simulated laser, on the caller's
// thread. Time passes only on the clock: a read that waits for a delayed reply, or times out,
// moves the clock on instead of sleeping.
class InProcessTransport final : public KWinTransport {
public:
    enum class Style {
        SerialThrow,   // a panel serial port: a byte stream, NoBytesToRead on time-out
        DatagramThrow, // a panel UDP socket: one datagram per read, NoBytesToRead unless it fits
        StreamShort,   // an SDK port: a byte stream, short count on time-out
    };

    InProcessTransport(SimLink& link, Clock& clock, Style style = Style::SerialThrow);

    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    void Close() override;
    int Purge() override;
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override;
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override;
    std::size_t BytesAvailable() override;

    bool IsClosed() const { return closed_; }
    std::uint32_t ReadTimeoutMs() const { return readTimeoutMs_; }
    // Every read time-out set, in order (tests follow the controller's changes with it).
    const std::vector<std::uint32_t>& TimeoutHistory() const { return timeoutHistory_; }
    // Bytes the host sent, in order, for tests that check the wire.
    const std::vector<std::vector<std::uint8_t>>& Sent() const { return sent_; }

private:
    struct Pending {
        std::vector<std::uint8_t> bytes;
        std::size_t offset = 0;
        std::uint64_t readyAtMs = 0;
    };
    void WaitUntil(std::uint64_t ms);
    std::size_t ReadStream(std::uint8_t* bytes, std::size_t count);

    SimLink& link_;
    Clock& clock_;
    Style style_;
    std::uint32_t readTimeoutMs_ = 2000;
    std::vector<std::uint32_t> timeoutHistory_;
    std::deque<Pending> pending_;
    std::vector<std::vector<std::uint8_t>> sent_;
    bool closed_ = false;
};

} // namespace tarvex::sim
