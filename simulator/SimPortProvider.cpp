#include "SimPortProvider.h"

#include "InProcessTransport.h"

namespace tarvex::sim {

namespace {

// One port as the host holds it: the laser's link when something answers there, else a line
// where the host's bytes vanish and every read waits out its time-out.
class SimPortTransport final : public KWinTransport {
public:
    SimPortTransport(std::unique_ptr<InProcessTransport> laser, Clock& clock,
                     std::shared_ptr<SimPortProvider::Shared> shared)
        : laser_(std::move(laser)), clock_(clock), shared_(std::move(shared)) {
        std::lock_guard lock(shared_->mutex);
        ++shared_->openTransports;
    }
    ~SimPortTransport() override { Close(); }

    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override {
        readTimeoutMs_ = readMs;
        if (laser_)
            laser_->SetTimeouts(readMs, writeMs);
    }
    void Close() override {
        if (closed_)
            return;
        closed_ = true;
        if (laser_)
            laser_->Close();
        std::lock_guard lock(shared_->mutex);
        --shared_->openTransports;
    }
    int Purge() override { return laser_ ? laser_->Purge() : 0; }
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override {
        if (closed_)
            return 0;
        return laser_ ? laser_->SendByteList(bytes, count) : count;
    }
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override {
        if (laser_ && !closed_)
            return laser_->ReadByteList(bytes, count);
        if (auto* manual = dynamic_cast<ManualClock*>(&clock_))
            manual->Advance(readTimeoutMs_);
        else
            clock_.SleepMs(readTimeoutMs_);
        throw NoBytesToRead{};
    }
    std::size_t BytesAvailable() override { return laser_ ? laser_->BytesAvailable() : 0; }

private:
    std::unique_ptr<InProcessTransport> laser_;
    Clock& clock_;
    std::shared_ptr<SimPortProvider::Shared> shared_;
    std::uint32_t readTimeoutMs_ = 2000;
    bool closed_ = false;
};

std::uint64_t UdpKey(std::uint32_t address, std::uint16_t port) {
    return (std::uint64_t{address} << 16) | port;
}

} // namespace

SimPortProvider::SimPortProvider(Clock& clock)
    : clock_(clock), shared_(std::make_shared<Shared>()) {}

SimPortProvider::~SimPortProvider() = default;

void SimPortProvider::AddPort(const std::string& name, SimLink& link, std::uint32_t baud) {
    std::lock_guard lock(mutex_);
    order_.push_back(name);
    ports_[name] = Port{&link, baud, false};
}

void SimPortProvider::AddSilentPort(const std::string& name) {
    std::lock_guard lock(mutex_);
    order_.push_back(name);
    ports_[name] = Port{};
}

void SimPortProvider::AddBusyPort(const std::string& name) {
    std::lock_guard lock(mutex_);
    order_.push_back(name);
    ports_[name] = Port{nullptr, 0, true};
}

void SimPortProvider::SetUdpLaser(std::uint32_t address, std::uint16_t port, SimLink& link) {
    std::lock_guard lock(mutex_);
    udpLaser_.emplace(UdpKey(address, port), &link);
}

void SimPortProvider::SetUdpBindFails(bool fails) {
    std::lock_guard lock(mutex_);
    udpBindFails_ = fails;
}

std::vector<SimPortProvider::SerialOpen> SimPortProvider::SerialOpens() const {
    std::lock_guard lock(mutex_);
    return serialOpens_;
}

std::size_t SimPortProvider::UdpOpens() const {
    std::lock_guard lock(mutex_);
    return udpOpens_;
}

int SimPortProvider::OpenTransports() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->openTransports;
}

std::vector<std::string> SimPortProvider::EnumerateSerialPorts() {
    std::lock_guard lock(mutex_);
    return order_;
}

std::unique_ptr<KWinTransport> SimPortProvider::OpenSerial(const std::string& port,
                                                           std::uint32_t baud,
                                                           std::uint32_t readTimeoutMs) {
    std::lock_guard lock(mutex_);
    const auto found = ports_.find(port);
    const bool opens = found != ports_.end() && !found->second.busy;
    serialOpens_.push_back({port, baud, readTimeoutMs, opens});
    if (!opens)
        return nullptr;
    std::unique_ptr<InProcessTransport> laser;
    if (found->second.link && found->second.baud == baud)
        laser = std::make_unique<InProcessTransport>(*found->second.link, clock_);
    auto transport = std::make_unique<SimPortTransport>(std::move(laser), clock_, shared_);
    transport->SetTimeouts(readTimeoutMs, 0);
    return transport;
}

std::unique_ptr<KWinTransport> SimPortProvider::OpenUdp(std::uint32_t address, std::uint16_t port,
                                                        std::uint32_t) {
    std::lock_guard lock(mutex_);
    ++udpOpens_;
    if (udpBindFails_)
        return nullptr;
    std::unique_ptr<InProcessTransport> laser;
    if (udpLaser_ && udpLaser_->first == UdpKey(address, port))
        laser = std::make_unique<InProcessTransport>(*udpLaser_->second, clock_,
                                                     InProcessTransport::Style::DatagramThrow);
    auto transport = std::make_unique<SimPortTransport>(std::move(laser), clock_, shared_);
    transport->SetTimeouts(1000, 0);
    return transport;
}

} // namespace tarvex::sim
