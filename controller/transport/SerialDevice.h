#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarvex {

// Line settings of a serial device.
struct SerialLineSettings {
    std::uint32_t baud = 9600;
    int dataBits = 8;        // 5 to 8
    char parity = 'N';       // 'N', 'E' or 'O'
    int stopBits = 1;        // 1 or 2
    bool rtsCtsFlow = false; // hardware flow control
    bool dtrOn = true;
    bool rtsOn = true;
};

// Time limits of one read, in milliseconds; 0 means no limit of that kind.
struct SerialReadLimits {
    std::uint32_t firstByteMs = 0; // until the first byte arrives
    std::uint32_t interByteMs = 0; // between two bytes
    std::uint32_t totalMs = 0;     // for the whole read
};

// The five time-out values of a serial port, in milliseconds, as both serial transports keep
// them: the read interval between bytes, the read total per byte and constant, and the write
// total per byte and constant.
struct CommTimeouts {
    std::uint32_t readInterval = 100;
    std::uint32_t readMultiplier = 10;
    std::uint32_t readConstant = 100;
    std::uint32_t writeMultiplier = 0;
    std::uint32_t writeConstant = 0;

    // What a transport's SetTimeouts(read, write) sets.
    static CommTimeouts ForReadWrite(std::uint32_t readMs, std::uint32_t writeMs) {
        return {readMs, 10, readMs, 1, writeMs};
    }
    // The limit of one write of `count` bytes; 0 (no limit) when both write values are 0.
    std::uint32_t WriteLimitMs(std::size_t count) const {
        return static_cast<std::uint32_t>(writeMultiplier * count + writeConstant);
    }
};

// An open serial device (a tty or pseudo-terminal on POSIX, a COM handle on Windows). Not
// thread-safe.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual bool Configure(const SerialLineSettings& settings) = 0;
    // Reads until `count` bytes arrived or a limit expired; returns the number read.
    virtual std::size_t Read(std::uint8_t* bytes, std::size_t count, SerialReadLimits limits) = 0;
    // Writes all bytes unless `timeoutMs` (0: none) expires first; returns the number written.
    virtual std::size_t Write(const std::uint8_t* bytes, std::size_t count,
                              std::uint32_t timeoutMs) = 0;
    // Discards both queues. True on success.
    virtual bool Purge() = 0;
    virtual std::size_t BytesAvailable() = 0;
    virtual std::intptr_t Handle() const = 0;
    // Best effort: the USB adapter's receive latency timer, where the device has one.
    virtual bool SetLatencyTimer(std::uint8_t ms) = 0;
};

// Opens a device by its name (a path on POSIX), exclusively. Null when it cannot be opened.
std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name);

// Whether a baud rate can be set on this platform's serial devices.
bool IsSupportedBaud(std::uint32_t baud);

} // namespace tarvex
