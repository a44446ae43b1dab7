#include "transport/ComPortEnumeration.h"
#include "transport/KWinComPort.h"
#include "transport/KWinUDP.h"
#include "transport/PortProvider.h"

namespace tarvex {

namespace {

// Windows names its serial ports "Description (COMn)"; elsewhere the friendly name ends in the
// device path, so every port found is a candidate.
#if defined(_WIN32)
constexpr std::string_view kSerialPortFilter = "(COM";
#else
constexpr std::string_view kSerialPortFilter = {};
#endif

// The UDP transport waits this long for each datagram while the laser is searched for.
constexpr std::uint32_t kUdpReadTimeoutMs = 1000;

class SystemPortProvider final : public PortProvider {
public:
    std::vector<std::string> EnumerateSerialPorts() override {
        std::vector<std::string> names;
        for (auto& port : EnumerateComPorts({}, kSerialPortFilter))
            names.push_back(std::move(port.name));
        return names;
    }

    std::unique_ptr<KWinTransport> OpenSerial(const std::string& port, std::uint32_t baud,
                                              std::uint32_t readTimeoutMs) override {
        auto transport = std::make_unique<KWinComPort>();
        if (transport->Open(port, baud, 'N', 8, 1, true, true) != 0)
            return nullptr;
        transport->SetRawTimeouts(readTimeoutMs, 10, readTimeoutMs, 0, 0);
        return transport;
    }

    std::unique_ptr<KWinTransport> OpenUdp(std::uint32_t address, std::uint16_t port,
                                           std::uint32_t localAddress) override {
        auto transport = std::make_unique<KWinUDP>();
        if (transport->Open(address, port, localAddress) != 0)
            return nullptr;
        transport->SetTimeouts(kUdpReadTimeoutMs, 0);
        return transport;
    }
};

} // namespace

std::unique_ptr<PortProvider> MakeSystemPortProvider() {
    return std::make_unique<SystemPortProvider>();
}

} // namespace tarvex
