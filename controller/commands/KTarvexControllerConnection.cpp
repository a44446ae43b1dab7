#include "KTarvexController.h"

#include "Trace.h"
#include "transport/KWinUsbFtdi.h"
#include "transport/MakeTransport.h"

#include <algorithm>

namespace tarvex {

namespace {

// The panel's two passes over the serial ports: the configured (or fastest) rate first, then the
// rate older controllers run at.
constexpr std::uint32_t kFirstPassBaud = 921600;
constexpr std::uint32_t kSecondPassBaud = 115200;
constexpr std::uint32_t kSearchBauds[] = {kFirstPassBaud, kSecondPassBaud};

} // namespace

void KTarvexController::SetComPort(const std::string& port) {
    std::lock_guard lock(settingsMutex_);
    fixedPort_ = port;
}

void KTarvexController::SetBaudRate(std::uint32_t baud) {
    std::lock_guard lock(settingsMutex_);
    haveFixedBaud_ = true;
    baudRate_ = baud;
}

void KTarvexController::SetUdpAddress(std::uint32_t address, std::uint16_t port) {
    std::lock_guard lock(settingsMutex_);
    udpAddress_ = address;
    udpPort_ = port;
}

std::uint32_t KTarvexController::GetUdpAddress() const {
    std::lock_guard lock(settingsMutex_);
    return udpAddress_;
}

std::uint16_t KTarvexController::GetUdpPort() const {
    std::lock_guard lock(settingsMutex_);
    return udpPort_;
}

void KTarvexController::SetUdpLocalAddress(std::uint32_t address) {
    std::lock_guard lock(settingsMutex_);
    udpLocalAddress_ = address;
}

void KTarvexController::SetPortProvider(std::unique_ptr<PortProvider> provider) {
    std::lock_guard lock(settingsMutex_);
    portProvider_ = std::move(provider);
}

std::string KTarvexController::ConnectedPort() const {
    std::lock_guard lock(settingsMutex_);
    return connectedPort_;
}

PortProvider& KTarvexController::Ports() {
    std::lock_guard lock(settingsMutex_);
    if (!portProvider_)
        portProvider_ = MakeSystemPortProvider();
    return *portProvider_;
}

void KTarvexController::BeginInitialize() {
    Trace("KTarvexController::Initialize");
    initializedMode_.store(operatingMode_.load());
    connected_.store(false);
    connectedBaud_.store(0);
    {
        std::lock_guard lock(settingsMutex_);
        connectedPort_.clear();
    }
    // What was lasing or tuned, and the favourites' table, belong to the previous connection.
    savedStateTableRead_.store(false);
    UpdateCache([](LaserCache& c) {
        c.activeQcl = 0;
        c.tunedQcl = 0;
    });
}

bool KTarvexController::Probe(std::unique_ptr<KWinTransport> transport) {
    AttachTransport(std::move(transport));
    if (ReadInfoSysInfo())
        return true;
    CloseTransport();
    return false;
}

bool KTarvexController::SearchSerialPorts(PortProvider& ports) {
    std::string fixedPort;
    std::uint32_t firstBaud = kFirstPassBaud;
    {
        std::lock_guard lock(settingsMutex_);
        fixedPort = fixedPort_;
        if (haveFixedBaud_)
            firstBaud = baudRate_;
    }
    const std::vector<std::string> candidates =
        fixedPort.empty() ? ports.EnumerateSerialPorts() : std::vector<std::string>{fixedPort};

    for (const std::uint32_t baud : {firstBaud, kSecondPassBaud}) {
        for (const auto& port : candidates) {
            auto transport = ports.OpenSerial(port, baud, probeTimeoutMs_.load());
            if (!transport || !Probe(std::move(transport)))
                continue;
            {
                std::lock_guard lock(settingsMutex_);
                connectedPort_ = port;
            }
            connectedBaud_.store(baud);
            return true;
        }
    }
    return false;
}

bool KTarvexController::ConnectUdp(PortProvider& ports) {
    std::uint32_t address = 0, localAddress = 0;
    std::uint16_t port = 0;
    {
        std::lock_guard lock(settingsMutex_);
        address = udpAddress_;
        port = udpPort_;
        localAddress = udpLocalAddress_;
    }
    auto transport = ports.OpenUdp(address, port, localAddress);
    return transport && Probe(std::move(transport));
}

bool KTarvexController::Initialize() {
    // A second connection must not leave the first one's heartbeat reading a closed transport.
    if (HeartbeatRunning())
        StopHeartbeat();
    BeginInitialize();
    CloseTransport();

    bool connected = false;
    switch (transportType_.load()) {
    case kTransportSerial:
        connected = SearchSerialPorts(Ports());
        break;
    case kTransportUdp:
        connected = ConnectUdp(Ports());
        break;
    default:
        break; // no transport of that kind
    }
    connected_.store(connected);
    if (!connected) {
        CloseTransport();
        return false;
    }
    refresh();
    if (profile_.heartbeat)
        StartHeartbeat();
    return true;
}

bool KTarvexController::Initialize(std::unique_ptr<KWinTransport> transport) {
    BeginInitialize();
    // Even a missing transport replaces the one held before.
    const bool connected = Probe(std::move(transport));
    connected_.store(connected);
    if (connected)
        refresh();
    return connected;
}

bool KTarvexController::InitializeUsbAdapter(std::optional<int> onlyIndex) {
    for (const std::uint32_t baud : kSearchBauds) {
        KWinUsbFtdi::RefreshDeviceList();
        const int count = KWinUsbFtdi::GetDeviceCount();
        const int first = onlyIndex.value_or(0);
        const int end = onlyIndex ? std::min(*onlyIndex + 1, count) : count;
        for (int index = first; index < end; ++index) {
            auto transport = MakeTransport(baud, index, true);
            if (transport && Initialize(std::move(transport))) {
                connectedBaud_.store(baud);
                return true;
            }
        }
    }
    return false;
}

} // namespace tarvex
