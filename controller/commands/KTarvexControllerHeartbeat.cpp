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
    std::lock_guard lock(transactionMutex_);
    if (HeartbeatPaused()) {
        Trace("Heartbeat Paused...");
        return;
    }
    Trace("Heartbeat Alive...");
    SetTransportTimeouts(GetTransportType() == kTransportUdp ? kHeartbeatUdpTimeoutMs
                                                             : kHeartbeatSerialTimeoutMs,
                         0);
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
    SetTransportTimeouts(kNormalReadTimeoutMs, 0);
}

void KTarvexController::HeartbeatLoop(std::stop_token stop) {
    Trace("KTarvexController::run");
    // The stop request is honoured here, outside the transaction lock, and cuts the sleep short.
    while (!stop.stop_requested()) {
        HeartbeatCycle();
        if (!clock_->WaitUnlessStopped(kHeartbeatPeriodMs, stop))
            break;
        Trace("End run()\n");
    }
}

void KTarvexController::StartHeartbeat() {
    std::lock_guard lock(heartbeatMutex_);
    if (heartbeat_.joinable())
        return;
    heartbeat_ = std::jthread([this](std::stop_token stop) { HeartbeatLoop(stop); });
}

void KTarvexController::StopHeartbeat() {
    std::jthread heartbeat;
    {
        std::lock_guard lock(heartbeatMutex_);
        heartbeat = std::move(heartbeat_);
    }
    if (!heartbeat.joinable())
        return;
    heartbeat.request_stop();
    // Asked from the heartbeat's own thread (a link-lost handler, say): the loop ends after
    // this cycle on its own; waiting for it here would wait forever.
    if (heartbeat.get_id() == std::this_thread::get_id())
        heartbeat.detach();
    else
        heartbeat.join();
}

bool KTarvexController::HeartbeatRunning() const {
    std::lock_guard lock(heartbeatMutex_);
    return heartbeat_.joinable();
}

} // namespace tarvex
