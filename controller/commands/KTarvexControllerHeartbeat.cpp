#include "KTarvexController.h"
#include "Trace.h"

#include <algorithm>
#include <iterator>

namespace tarvex {
namespace {

constexpr std::uint32_t kHeartbeatPeriodMs = 500;
// A heartbeat read may wait this long for a silent laser.
constexpr std::uint32_t kHeartbeatSerialTimeoutMs = 10000;
constexpr std::uint32_t kHeartbeatUdpTimeoutMs = 2000;

using Read = bool (*)(KTarvexController&);

// The fast-changing part of the laser's state, read every heartbeat cycle.
constexpr Read kHeartbeatReads[] = {
    [](KTarvexController& c) { return c.ReadStatusMask(); },
    [](KTarvexController& c) { return c.ReadInfoLight(); },
    [](KTarvexController& c) { return c.ReadScanProgress(); },
    [](KTarvexController& c) { return c.ReadQclInfoParam(); },
    [](KTarvexController& c) { return c.ReadQclInfoParam2(); },
    [](KTarvexController& c) { return c.ReadTestLaserInfo(); },
    [](KTarvexController& c) { return c.ReadInfoTemps(); },
    [](KTarvexController& c) { return c.ReadTecMeas(); },
    [](KTarvexController& c) { return c.ReadAllTestQclInfo(); },
};

// The whole state, in the order refresh reads it; the first failure ends the chain.
constexpr Read kRefreshChain[] = {
    [](KTarvexController& c) { return c.ReadWriteAdminParams(false); },
    [](KTarvexController& c) { return c.ReadWriteAdminParams(false); },
    [](KTarvexController& c) { return c.ReadWriteAdminQclParams(false); },
    [](KTarvexController& c) { return c.ReadInfoLight(); },
    [](KTarvexController& c) { return c.ReadQclInfoParam(); },
    [](KTarvexController& c) { return c.ReadQclInfoParam2(); },
    [](KTarvexController& c) { return c.ReadStatusMask(); },
    [](KTarvexController& c) { return c.ReadWriteScanMode(false); },
    [](KTarvexController& c) { return c.ReadWriteSingleWWParams(false); },
    [](KTarvexController& c) { return c.ReadWriteSweepModeParams(false); },
    [](KTarvexController& c) { return c.ReadWriteStepMeasureParams(false); },
    [](KTarvexController& c) { return c.ReadWriteMultiSpectralParams(false); },
    [](KTarvexController& c) { return c.ReadWriteLaserParams(false); },
    [](KTarvexController& c) { return c.ReadWriteLaserQclParams(false); },
    [](KTarvexController& c) { return c.ReadLaserOnOff(); },
    [](KTarvexController& c) { return c.ReadWriteWwDisplayUnits(false); },
    [](KTarvexController& c) { return c.ReadWriteProvisioningIpAddr(false); },
    [](KTarvexController& c) { return c.ReadWriteAudioNotificationPref(false); },
    [](KTarvexController& c) { return c.ReadWriteGlobalPreferences(false); },
    [](KTarvexController& c) { return c.ReadSysNumSavedStates(); },
    [](KTarvexController& c) { return c.ReadSavedStateNames(); },
    [](KTarvexController& c) { return c.ReadTecMeas(); },
};

// Optional reads, by the controller board's firmware version.
bool HasSysVoltages(const FirmwareVersion& v) {
    return v.AtLeast(1, 6, 2);
}
bool HasMotionBoardVersion(const FirmwareVersion& v) {
    return v.AtLeast(1, 7, 15);
}
bool HasWlTrigPulseWidth(const FirmwareVersion& v) {
    return v.AtLeast(1, 8, 13);
}

} // namespace

bool KTarvexController::refresh() {
    if (GetOperatingMode() == operating_mode::kEthernetTest)
        return ReadTestLaserInfo();
    const std::uint64_t start = clock_->NowMs();

    const bool result = std::all_of(std::begin(kRefreshChain), std::end(kRefreshChain),
                                    [this](Read read) { return read(*this); });

    if (GetOperatingMode() == operating_mode::kManufacturing) {
        const std::size_t installed = InstalledQcls();
        for (std::size_t index = 0; index < installed; ++index)
            ReadWriteLaserQclVsrc(false, index);
        if (firstRefresh_.exchange(false))
            UpdateCache([&](LaserCache& c) {
                for (std::size_t index = 0; index < installed; ++index)
                    c.initialVsrc[index] = c.vsrc[index];
            });
    }

    ReadFwVersion();
    const FirmwareVersion firmware = ControllerFirmware();
    if (HasMotionBoardVersion(firmware))
        ReadMbFwVersion();
    if (HasWlTrigPulseWidth(firmware))
        ReadWriteWlTrigPulseWidth(false);
    ReadTestLaserInfo();

    if (profile_.refreshTrace) {
        Trace("KTarvexController::refresh");
        Trace("fRet = %s", result ? "TRUE" : "FALSE");
        Trace("Number of ticks = %d", static_cast<int>(clock_->NowMs() - start));
    }
    return result;
}

void KTarvexController::HeartbeatCycle() {
    RunHeartbeatCycle(std::stop_token{});
}

// The cycle does not hold the transaction lock: each read takes it for its own exchange, so a
// user's command waits for one exchange at most, and each exchange checks the paused flag and
// the stop request first (PrepareExchange), so a long operation or a stop does not have to wait
// for the rest of a cycle on a silent link.
void KTarvexController::RunHeartbeatCycle(std::stop_token stop) {
    std::lock_guard cycle(cycleMutex_);
    if (HeartbeatPaused()) {
        Trace("Heartbeat Paused...");
        return;
    }
    Trace("Heartbeat Alive...");
    BeginHeartbeatCycle(stop);
    if (GetOperatingMode() == operating_mode::kEthernetTest) {
        ReadTestLaserInfo();
    } else {
        for (Read read : kHeartbeatReads)
            read(*this);
        const FirmwareVersion firmware = ControllerFirmware();
        if (HasSysVoltages(firmware))
            ReadSysVoltages();
        if (HasMotionBoardVersion(firmware))
            ReadMbFwVersion();
    }
    EndHeartbeatCycle();
}

// The heartbeat's read time-out is set by its first exchange (PrepareExchange), which checks the
// paused flag first: a long operation that paused the heartbeat meanwhile keeps its own.
void KTarvexController::BeginHeartbeatCycle(std::stop_token stop) {
    cycleStop_ = std::move(stop);
    cycleThread_.store(std::this_thread::get_id());
}

void KTarvexController::EndHeartbeatCycle() {
    {
        std::lock_guard lock(transactionMutex_);
        UseHeartbeatTimeouts(false);
    }
    std::lock_guard lock(cacheMutex_);
    staged_.PublishTo(cache_);
    cycleThread_.store(std::thread::id{});
}

bool KTarvexController::PrepareExchange() {
    const bool heartbeat = InHeartbeatCycle();
    if (heartbeat && (HeartbeatPaused() || cycleStop_.stop_requested()))
        return false;
    UseHeartbeatTimeouts(heartbeat);
    return true;
}

void KTarvexController::UseHeartbeatTimeouts(bool heartbeat) {
    if (!transport_ || heartbeat == heartbeatTimeouts_)
        return;
    const std::uint32_t heartbeatMs =
        GetTransportType() == kTransportUdp ? kHeartbeatUdpTimeoutMs : kHeartbeatSerialTimeoutMs;
    transport_->SetTimeouts(heartbeat ? heartbeatMs : kNormalReadTimeoutMs, 0);
    heartbeatTimeouts_ = heartbeat;
}

void KTarvexController::HeartbeatLoop(std::stop_token stop) {
    Trace("KTarvexController::run");
    // The stop request is honoured before each exchange and here, outside the transaction lock,
    // and cuts the sleep short.
    while (!stop.stop_requested()) {
        RunHeartbeatCycle(stop);
        if (!clock_->WaitUnlessStopped(kHeartbeatPeriodMs, stop))
            break;
        Trace("End run()\n");
    }
}

void KTarvexController::StartHeartbeat() {
    std::jthread stopped;
    {
        std::lock_guard lock(heartbeatMutex_);
        if (heartbeat_.joinable() && !heartbeat_.get_stop_token().stop_requested())
            return;
        // A heartbeat that stopped itself cannot start itself again.
        if (heartbeat_.get_id() == std::this_thread::get_id())
            return;
        stopped = std::move(heartbeat_);
    }
    // One that was asked to stop from its own thread is ended before a new one starts.
    if (stopped.joinable())
        stopped.join();
    std::lock_guard lock(heartbeatMutex_);
    if (!heartbeat_.joinable())
        heartbeat_ = std::jthread([this](std::stop_token stop) { HeartbeatLoop(stop); });
}

// Never detached: a thread that outlived its controller would run on freed memory. Asked on the
// heartbeat's own thread (a link-lost callback), the stop is only requested; the thread stays
// here for the destructor, or another StopHeartbeat, to wait for.
void KTarvexController::StopHeartbeat() {
    std::jthread heartbeat;
    {
        std::lock_guard lock(heartbeatMutex_);
        if (!heartbeat_.joinable())
            return;
        heartbeat_.request_stop();
        if (heartbeat_.get_id() == std::this_thread::get_id())
            return;
        heartbeat = std::move(heartbeat_);
    }
    heartbeat.join();
}

bool KTarvexController::HeartbeatRunning() const {
    std::lock_guard lock(heartbeatMutex_);
    return heartbeat_.joinable() && !heartbeat_.get_stop_token().stop_requested();
}

} // namespace tarvex
