#include "transport/KWinComPort.h"

#include "Trace.h"

#include <algorithm>

namespace tarvex {

KWinComPort::~KWinComPort() {
    Close();
}

std::uint32_t KWinComPort::EffectiveBaud(std::uint32_t requested) {
    static constexpr std::uint32_t kAllowed[] = {300,   600,   1200,  2400,   4800,  9600,
                                                 19200, 38400, 57600, 115200, 921600};
    return std::find(std::begin(kAllowed), std::end(kAllowed), requested) != std::end(kAllowed)
               ? requested
               : 9600;
}

int KWinComPort::Open(const std::string& port, std::uint32_t baud, char parity, int dataBits,
                      int stopBits, bool dtrOn, bool rtsOn) {
    device_.reset();
    device_ = OpenSerialDevice(port);
    if (!device_)
        return -1;
    portName_ = port;
    SerialLineSettings line;
    line.baud = EffectiveBaud(baud);
    line.dataBits = (dataBits >= 5 && dataBits <= 8) ? dataBits : 8;
    line.parity = (parity == 'E' || parity == 'O') ? parity : 'N';
    line.stopBits = stopBits == 2 ? 2 : 1;
    line.dtrOn = dtrOn;
    line.rtsOn = rtsOn;
    if (!device_->Configure(line)) {
        device_.reset();
        return -1;
    }
    baud_ = line.baud;
    timeouts_ = CommTimeouts{};
    return Purge();
}

void KWinComPort::SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    timeouts_ = CommTimeouts::ForReadWrite(readMs, writeMs);
}

void KWinComPort::SetRawTimeouts(std::uint32_t readInterval, std::uint32_t readMultiplier,
                                 std::uint32_t readConstant, std::uint32_t writeMultiplier,
                                 std::uint32_t writeConstant) {
    timeouts_ =
        CommTimeouts{readInterval, readMultiplier, readConstant, writeMultiplier, writeConstant};
}

void KWinComPort::ClearTimeouts() {
    timeouts_ = CommTimeouts{0, 0, 0, 0, 0};
}

void KWinComPort::Close() {
    device_.reset(); // restores the line settings found at open
}

int KWinComPort::Purge() {
    return device_ && device_->Purge() ? 0 : 1;
}

std::size_t KWinComPort::SendByteList(const std::uint8_t* bytes, std::size_t count) {
    if (!device_)
        return 0;
    const std::uint32_t limit = timeouts_.WriteLimitMs(count);
    std::size_t written = device_->Write(bytes, count, limit);
    if (written < count)
        Trace("%s Error writing to port", "KWinComPort::SendByteList");
    return written;
}

std::size_t KWinComPort::ReadByteList(std::uint8_t* bytes, std::size_t count) {
    if (!device_)
        throw NoBytesToRead{};
    // Each byte is a read of its own: it must come within the single-byte time-out of the
    // previous one. The device hands over whatever has already arrived in one go.
    const std::uint32_t perByte = timeouts_.readConstant + timeouts_.readMultiplier;
    SerialReadLimits limits{perByte, perByte, 0};
    if (device_->Read(bytes, count, limits) < count)
        throw NoBytesToRead{};
    return count;
}

std::uint8_t KWinComPort::ReadByte() {
    std::uint8_t byte = 0;
    ReadByteList(&byte, 1);
    return byte;
}

std::size_t KWinComPort::BytesAvailable() {
    return device_ ? device_->BytesAvailable() : 0;
}

std::intptr_t KWinComPort::GetHandle() const {
    return device_ ? device_->Handle() : -1;
}

} // namespace tarvex
