#pragma once

#include "Clock.h"
#include "SimLink.h"
#include "transport/PortProvider.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarvex::sim {

// The machine's ports as the connection search sees them, made of simulated lasers on
// simulated time. A serial port answers through its laser's link only when opened at the baud
// rate the laser runs at; at any other rate, and on a port with no laser, the host's bytes go
// unanswered and every read waits out its time-out on the clock. Thread-safe.
class SimPortProvider final : public PortProvider {
public:
    explicit SimPortProvider(Clock& clock);
    ~SimPortProvider() override;

    // A listed port with a laser behind it that runs at `baud`.
    void AddPort(const std::string& name, SimLink& link, std::uint32_t baud = 921600);
    // A listed port with nothing behind it.
    void AddSilentPort(const std::string& name);
    // A listed port that cannot be opened (another program holds it).
    void AddBusyPort(const std::string& name);
    // The laser's UDP endpoint; any other endpoint opens but is silent.
    void SetUdpLaser(std::uint32_t address, std::uint16_t port, SimLink& link);
    // Makes every UDP open fail, as when the local port is taken.
    void SetUdpBindFails(bool fails);

    struct SerialOpen {
        std::string port;
        std::uint32_t baud = 0;
        std::uint32_t readTimeoutMs = 0;
        bool opened = false;
    };
    // Every serial open asked for, in order.
    std::vector<SerialOpen> SerialOpens() const;
    std::size_t UdpOpens() const;
    // Transports handed out and not yet closed.
    int OpenTransports() const;

    std::vector<std::string> EnumerateSerialPorts() override;
    std::unique_ptr<KWinTransport> OpenSerial(const std::string& port, std::uint32_t baud,
                                              std::uint32_t readTimeoutMs) override;
    std::unique_ptr<KWinTransport> OpenUdp(std::uint32_t address, std::uint16_t port,
                                           std::uint32_t localAddress) override;

    // Shared with the transports handed out, which may outlive the provider.
    struct Shared {
        std::mutex mutex;
        int openTransports = 0;
    };

private:
    struct Port {
        SimLink* link = nullptr; // none: silent
        std::uint32_t baud = 0;
        bool busy = false;
    };

    Clock& clock_;
    mutable std::mutex mutex_;
    std::vector<std::string> order_;
    std::map<std::string, Port> ports_;
    std::optional<std::pair<std::uint64_t, SimLink*>> udpLaser_; // address << 16 | port
    bool udpBindFails_ = false;
    std::vector<SerialOpen> serialOpens_;
    std::size_t udpOpens_ = 0;
    std::shared_ptr<Shared> shared_;
};

} // namespace tarvex::sim
