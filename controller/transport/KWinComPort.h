#pragma once

#include "transport/KWinTransport.h"
#include "transport/SerialDevice.h"

#include <memory>
#include <string>

namespace tarvex {

// The panel's serial transport. Reads wait for each byte at most the read time-out plus the
// per-byte multiplier after the previous one, and throw NoBytesToRead when a byte does not come.
class KWinComPort final : public KWinTransport {
public:
    KWinComPort() = default;
    ~KWinComPort() override;

    // Opens a port by name (a device path on POSIX, "COM3" on Windows). Returns 0 on success, 1
    // when the purge after opening failed, -1 when the port cannot be opened. Unknown baud
    // rates open at 9600, data bits outside 5..8 as 8, stop bits other than 2 as one, and any
    // parity but 'E' or 'O' as none.
    int Open(const std::string& port, std::uint32_t baud, char parity, int dataBits, int stopBits,
             bool dtrOn, bool rtsOn);
    bool IsOpen() const { return device_ != nullptr; }
    const std::string& PortName() const { return portName_; }
    std::uint32_t Baud() const { return baud_; }

    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    void SetRawTimeouts(std::uint32_t readInterval, std::uint32_t readMultiplier,
                        std::uint32_t readConstant, std::uint32_t writeMultiplier,
                        std::uint32_t writeConstant);
    // All limits 0: reads wait for as long as it takes.
    void ClearTimeouts();
    void Close() override;
    int Purge() override;
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override;
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override;
    std::uint8_t ReadByte() override;
    std::size_t BytesAvailable() override;
    std::intptr_t GetHandle() const override;

    // The baud rate the port opens at for a requested one.
    static std::uint32_t EffectiveBaud(std::uint32_t requested);

private:
    std::unique_ptr<SerialDevice> device_;
    std::string portName_;
    std::uint32_t baud_ = 0;
    CommTimeouts timeouts_;
};

} // namespace tarvex
