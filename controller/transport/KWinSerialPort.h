#pragma once

#include "transport/KWinTransport.h"
#include "transport/SerialDevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvex {

// The SDK's serial transport. Ports are chosen by their index in a process-wide port table
// whose entries hold the port's name and its open device; reads and writes are one call each
// and return the count transferred.
class KWinSerialPort final : public KWinTransport {
public:
    KWinSerialPort() = default;
    ~KWinSerialPort() override;

    KWinSerialPort(const KWinSerialPort&) = delete;
    KWinSerialPort& operator=(const KWinSerialPort&) = delete;

    // Opens the table's port `index` at `baud`, 8 data bits, no parity, one stop bit. An empty
    // table is filled from the ports present first. False for an index outside the table, a
    // port that cannot be opened or a line setting the port refuses.
    bool Open(int index, std::uint32_t baud);
    bool IsOpen() const;
    // The table index of the open port, -1 before the first successful Open.
    int Index() const { return index_; }

    // Fills the table with the serial ports present, in enumeration order; returns the count.
    // Entries of ports still present keep their open device.
    static std::size_t RefreshPortTable();
    // Fills the table with the given port names (device paths on POSIX), in that order.
    static void SetPortTable(const std::vector<std::string>& names);
    // The port names in index order.
    static std::vector<std::string> PortNames();

    // Read: `readMs` between bytes and 10 ms per byte plus `readMs` in all. Write: 1 ms per byte
    // plus `writeMs`.
    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    void Close() override;
    // Does nothing: the line is never purged. Returns 0.
    int Purge() override { return 0; }
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override;
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override;
    // Not known for this transport: 0.
    std::size_t BytesAvailable() override { return 0; }

    struct PortEntry;

private:
    int index_ = -1;
    std::shared_ptr<PortEntry> entry_;
    CommTimeouts timeouts_;
};

} // namespace tarvex
