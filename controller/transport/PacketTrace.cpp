#include "transport/PacketTrace.h"

#include "codec/ByteOrder.h"
#include "codec/CommandNames.h"
#include "codec/KTarvexCommand.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace tarvex {
namespace {

std::string Timestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms));
    return text;
}

void AppendHex(std::string& line, const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < count; ++i) {
        line += ' ';
        line += kDigits[bytes[i] >> 4];
        line += kDigits[bytes[i] & 0xF];
    }
}

// A received packet's kind: a response, or the ack or nak of the command it names.
const char* ReceivedKind(std::uint8_t disposition) {
    if (disposition & kNakBit)
        return "nak";
    return disposition == kResponse ? "response" : "ack";
}

// Decorates a transport: every call goes through, and what crosses it is written to the trace.
class TracingTransport final : public KWinTransport {
public:
    TracingTransport(std::shared_ptr<PacketTrace> trace, std::unique_ptr<KWinTransport> inner)
        : trace_(std::move(trace)), inner_(std::move(inner)) {}

    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override {
        inner_->SetTimeouts(readMs, writeMs);
    }
    void Close() override { inner_->Close(); }
    int Purge() override { return inner_->Purge(); }
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override {
        trace_->Packet(PacketTrace::Direction::Sent, bytes, count);
        return inner_->SendByteList(bytes, count);
    }
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override {
        std::size_t got = 0;
        try {
            got = inner_->ReadByteList(bytes, count);
        } catch (const NoBytesToRead&) {
            trace_->TimedOut(bytes, 0);
            throw;
        }
        if (got < count)
            trace_->TimedOut(bytes, got);
        else
            trace_->Packet(PacketTrace::Direction::Received, bytes, got);
        return got;
    }
    std::uint8_t ReadByte() override {
        try {
            const std::uint8_t byte = inner_->ReadByte();
            trace_->Packet(PacketTrace::Direction::Received, &byte, 1);
            return byte;
        } catch (const NoBytesToRead&) {
            trace_->TimedOut(nullptr, 0);
            throw;
        }
    }
    std::size_t BytesAvailable() override { return inner_->BytesAvailable(); }
    bool IsUsb() const override { return inner_->IsUsb(); }
    std::intptr_t GetHandle() const override { return inner_->GetHandle(); }

private:
    std::shared_ptr<PacketTrace> trace_;
    std::unique_ptr<KWinTransport> inner_;
};

} // namespace

std::shared_ptr<PacketTrace> PacketTrace::Open(const std::filesystem::path& path,
                                               std::string& error) {
#if defined(_WIN32)
    std::FILE* file = ::_wfopen(path.c_str(), L"a"); // keeps a path the ANSI code page cannot hold
#else
    std::FILE* file = std::fopen(path.c_str(), "a");
#endif
    if (file == nullptr) {
        error = std::strerror(errno);
        return nullptr;
    }
    return std::shared_ptr<PacketTrace>(new PacketTrace(file));
}

PacketTrace::~PacketTrace() {
    std::fclose(file_);
}

std::string PacketTrace::Describe(Direction direction, const std::uint8_t* bytes,
                                  std::size_t count) {
    std::string line = direction == Direction::Sent ? "TX " : "RX ";
    // A packet's header begins with its reserved zero byte; a firmware frame begins with 1.
    if (count >= kAckPacketSize && bytes[0] == 0) {
        const std::uint16_t cmdID = be::GetU16(bytes + 1);
        const std::uint8_t disposition = bytes[3];
        const char* name = CommandName(cmdID);
        const char* kind =
            direction == Direction::Sent ? DispositionName(disposition) : ReceivedKind(disposition);
        line += name ? name : "cmd" + std::to_string(cmdID);
        line += " seq=" + std::to_string(be::GetU16(bytes + 4)) + " ";
        line += kind ? kind : "disposition" + std::to_string(disposition);
    } else {
        line += "- - raw";
    }
    AppendHex(line, bytes, count);
    return line;
}

void PacketTrace::Packet(Direction direction, const std::uint8_t* bytes, std::size_t count) {
    WriteLine(Timestamp() + " " + Describe(direction, bytes, count));
}

void PacketTrace::TimedOut(const std::uint8_t* bytes, std::size_t count) {
    std::string line = Timestamp() + " RX - - timeout";
    AppendHex(line, bytes, count);
    WriteLine(line);
}

void PacketTrace::Note(std::string_view text) {
    WriteLine("# " + std::string(text));
}

void PacketTrace::WriteLine(std::string_view text) {
    std::lock_guard lock(mutex_);
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

std::unique_ptr<KWinTransport> PacketTrace::Wrap(std::shared_ptr<PacketTrace> trace,
                                                 std::unique_ptr<KWinTransport> transport) {
    if (!trace || !transport)
        return transport;
    return std::make_unique<TracingTransport>(std::move(trace), std::move(transport));
}

} // namespace tarvex
