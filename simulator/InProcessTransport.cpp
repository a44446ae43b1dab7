#include "InProcessTransport.h"

#include <algorithm>

namespace tarvex::sim {

InProcessTransport::InProcessTransport(SimLink& link, Clock& clock, Style style)
    : link_(link), clock_(clock), style_(style) {}

void InProcessTransport::SetTimeouts(std::uint32_t readMs, std::uint32_t) {
    if (readMs == 0 && style_ == Style::DatagramThrow)
        return; // a socket keeps its receive time-out when given none
    readTimeoutMs_ = readMs;
    timeoutHistory_.push_back(readMs);
}

void InProcessTransport::Close() {
    closed_ = true;
    pending_.clear();
}

int InProcessTransport::Purge() {
    // Only what has arrived by now is dropped; a reply still on its way comes in later.
    const std::uint64_t now = clock_.NowMs();
    std::erase_if(pending_, [now](const Pending& p) { return p.readyAtMs <= now; });
    return 0;
}

std::size_t InProcessTransport::SendByteList(const std::uint8_t* bytes, std::size_t count) {
    if (closed_)
        return 0;
    sent_.emplace_back(bytes, bytes + count);
    auto outputs = style_ == Style::DatagramThrow ? link_.OnDatagram(bytes, count)
                                                  : link_.OnStreamBytes(bytes, count);
    const std::uint64_t now = clock_.NowMs();
    for (auto& output : outputs)
        pending_.push_back({std::move(output.bytes), 0, now + output.delayMs});
    // Replies cannot overtake one another on one channel.
    for (std::size_t i = 1; i < pending_.size(); ++i)
        pending_[i].readyAtMs = std::max(pending_[i].readyAtMs, pending_[i - 1].readyAtMs);
    return count;
}

void InProcessTransport::WaitUntil(std::uint64_t ms) {
    const std::uint64_t now = clock_.NowMs();
    if (ms <= now)
        return;
    if (auto* manual = dynamic_cast<ManualClock*>(&clock_))
        manual->Advance(ms - now);
    else
        clock_.SleepMs(static_cast<std::uint32_t>(ms - now));
}

std::size_t InProcessTransport::ReadStream(std::uint8_t* bytes, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        if (pending_.empty()) {
            WaitUntil(clock_.NowMs() + readTimeoutMs_);
            break;
        }
        Pending& head = pending_.front();
        const std::uint64_t now = clock_.NowMs();
        if (head.readyAtMs > now + readTimeoutMs_) {
            WaitUntil(now + readTimeoutMs_);
            break;
        }
        WaitUntil(head.readyAtMs);
        const std::size_t take = std::min(count - got, head.bytes.size() - head.offset);
        std::copy_n(head.bytes.begin() + static_cast<std::ptrdiff_t>(head.offset), take,
                    bytes + got);
        got += take;
        head.offset += take;
        if (head.offset == head.bytes.size())
            pending_.pop_front();
    }
    return got;
}

std::size_t InProcessTransport::ReadByteList(std::uint8_t* bytes, std::size_t count) {
    if (closed_) {
        if (style_ == Style::StreamShort)
            return 0;
        throw NoBytesToRead{};
    }
    if (style_ == Style::StreamShort)
        return ReadStream(bytes, count);
    if (style_ == Style::SerialThrow) {
        if (ReadStream(bytes, count) < count)
            throw NoBytesToRead{};
        return count;
    }
    // One datagram, which must hold exactly what was asked for; any other size is lost.
    const std::uint64_t now = clock_.NowMs();
    if (pending_.empty() || pending_.front().readyAtMs > now + readTimeoutMs_) {
        WaitUntil(now + readTimeoutMs_);
        throw NoBytesToRead{};
    }
    Pending datagram = std::move(pending_.front());
    pending_.pop_front();
    WaitUntil(datagram.readyAtMs);
    if (datagram.bytes.size() != count)
        throw NoBytesToRead{};
    std::copy(datagram.bytes.begin(), datagram.bytes.end(), bytes);
    return count;
}

std::size_t InProcessTransport::BytesAvailable() {
    const std::uint64_t now = clock_.NowMs();
    std::size_t total = 0;
    for (const auto& p : pending_)
        if (p.readyAtMs <= now)
            total += p.bytes.size() - p.offset;
    return total;
}

} // namespace tarvex::sim
