#pragma once

#include "transport/KWinTransport.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace tarvex {

// A file of every packet that crosses the link, one line each, for a user to send in when
// something goes wrong:
//
//   2026-12-07T10:15:30.123 TX StatusMask seq=12 read 00 00 03 01 00 0C 00 00 00 0A 5B 21
//
// Space-separated: the local time to the millisecond, TX (sent) or RX (received), what the
// command carries, its sequence number, what the packet is (read, write, execute, ack, nak or
// response), then every byte in hexadecimal. Bytes that form no packet (the firmware update's
// raw frames and replies) show "- -" for the name and number and "raw" for the kind; a read
// that timed out shows "- - timeout" and the bytes that did come. Lines beginning with "#" are
// notes. Thread-safe.
class PacketTrace {
public:
    // Appends to `path`; null (with the reason in `error`) when it cannot be opened.
    static std::shared_ptr<PacketTrace> Open(const std::filesystem::path& path, std::string& error);
    ~PacketTrace();
    PacketTrace(const PacketTrace&) = delete;
    PacketTrace& operator=(const PacketTrace&) = delete;

    enum class Direction { Sent, Received };
    void Packet(Direction direction, const std::uint8_t* bytes, std::size_t count);
    void TimedOut(const std::uint8_t* bytes, std::size_t count);
    void Note(std::string_view text);

    // The line Packet writes, without the time and the line end (tests check it).
    static std::string Describe(Direction direction, const std::uint8_t* bytes, std::size_t count);

    // `transport` with every byte it carries written here.
    static std::unique_ptr<KWinTransport> Wrap(std::shared_ptr<PacketTrace> trace,
                                               std::unique_ptr<KWinTransport> transport);

private:
    explicit PacketTrace(std::FILE* file) : file_(file) {}
    void WriteLine(std::string_view text);

    std::mutex mutex_;
    std::FILE* file_;
};

} // namespace tarvex
