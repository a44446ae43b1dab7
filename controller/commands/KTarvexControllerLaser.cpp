#include "KTarvexController.h"

#include "Trace.h"

namespace tarvex {

namespace {

// The read time-out during the wait for the armed bit to clear: the controller answers slowly
// while it ramps the drivers down.
constexpr std::uint32_t kDisarmReadTimeoutMs = 10000;
constexpr std::uint32_t kDisarmPollMs = 50;

bool ValidSlot(std::uint8_t slot) {
    return slot >= 1 && slot <= kMaxQcls;
}

void TraceQclParams(const LaserQclParams& q) {
    Trace("[Laser Qcl Params] slot = %d, current = %f, pulse_rate = %f, pulse_rate_unit = %d, "
          "pulse_width = %f pulse_width_unit = %d temp = %f laserMode = %u",
          q.slot, static_cast<double>(q.current), static_cast<double>(q.pulse_rate),
          q.pulse_rate_unit, static_cast<double>(q.pulse_width), q.pulse_width_unit,
          static_cast<double>(q.temp), q.laserMode);
}

} // namespace

bool KTarvexController::ReadWriteLaserParams(bool write) {
    std::lock_guard lock(transactionMutex_);
    const LaserParams request =
        write ? ReadCache([](const LaserCache& c) { return c.laserParams; }) : LaserParams{};
    LaserParams p;
    if (!ExchangeRecord(LaserParams::kCmd, WriteOrRead(write), request, p))
        return false;
    UpdateCache([&](LaserCache& c) { c.laserParams = p; });
    Trace("[Laser Params] laser_mode = %u, Pulse Mode = %u start_ww = %f, stop_ww = %f, "
          "interval = %f, units = %u, process_trigger_mode = %u dwell_time = %ld off_time = %ld",
          p.laser_mode, p.pulse_mode, static_cast<double>(p.start_ww),
          static_cast<double>(p.stop_ww), static_cast<double>(p.interval), p.units,
          p.process_trigger_mode, static_cast<long>(p.dwell_time), static_cast<long>(p.off_time));
    return true;
}

bool KTarvexController::ReadWriteLaserQclParams(bool write) {
    // A read sends the cached record too: the controller looks only at the slot.
    return ExchangePerSlot<LaserQclParams>(
        LaserQclParams::kCmd, WriteOrRead(write), &LaserQclParams::slot,
        [&](std::uint8_t slot) {
            auto request = ReadCache([&](const LaserCache& c) { return c.qclParams[slot - 1]; });
            request.slot = slot;
            return request;
        },
        [&](std::uint8_t slot, bool ok, const LaserQclParams& reply) {
            if (!ok)
                return;
            UpdateCache([&](LaserCache& c) { c.qclParams[slot - 1] = reply; });
            TraceQclParams(reply);
        });
}

bool KTarvexController::SendQclVsrc(bool write, std::size_t index, float vsrc) {
    // Caller holds the transaction lock and has checked the index.
    LaserQclVsrc request;
    request.slot = static_cast<std::uint8_t>(index + 1);
    if (write)
        request.vsrc = vsrc;
    LaserQclVsrc v;
    if (!ExchangeRecord(LaserQclVsrc::kCmd, WriteOrRead(write), request, v))
        return false;
    UpdateCache([&](LaserCache& c) { c.vsrc[index] = v; });
    Trace("[Laser QCL VSRC] slot = %d, vsrc = %f, maxPulsed = %f, maxCw = %f", v.slot,
          static_cast<double>(v.vsrc), static_cast<double>(v.maxPulsed),
          static_cast<double>(v.maxCw));
    return true;
}

bool KTarvexController::ReadWriteLaserQclVsrc(bool write, std::size_t index) {
    std::lock_guard lock(transactionMutex_);
    if (index >= InstalledQcls())
        return false;
    return SendQclVsrc(write, index,
                       ReadCache([&](const LaserCache& c) { return c.vsrc[index].vsrc; }));
}

float KTarvexController::GetQclVsrc(std::size_t index) {
    std::lock_guard lock(transactionMutex_);
    if (index >= InstalledQcls())
        return 0.0f;
    SendQclVsrc(false, index, 0.0f);
    return ReadCache([&](const LaserCache& c) { return c.vsrc[index].vsrc; });
}

// The setters below send the new value itself and cache only what the laser answers: a value the
// laser refused, or never got, does not stand in the cache as the laser's.
bool KTarvexController::SetQclVsrc(std::size_t index, float value) {
    std::lock_guard lock(transactionMutex_);
    return index < InstalledQcls() && SendQclVsrc(true, index, value);
}

float KTarvexController::GetQclMaxVsrc(std::size_t index, std::uint8_t mode) const {
    return ReadCache([&](const LaserCache& c) {
        if (index >= c.InstalledQcls())
            return 0.0f;
        return mode == laser_mode::kPulsed ? c.vsrc[index].maxPulsed : c.vsrc[index].maxCw;
    });
}

bool KTarvexController::ReadLaserOnOff() {
    std::lock_guard lock(transactionMutex_);
    LaserOnOff record;
    if (!ReadRecord(LaserOnOff::kCmd, record))
        return false;
    UpdateCache([&](LaserCache& c) { c.laserOnOff = record; });
    Trace("[Laser On Off] on_off = %u slot = %u", record.on_off, record.slot);
    return true;
}

bool KTarvexController::SendLaserOnOff(const LaserOnOff& record) {
    LaserOnOff reply;
    if (!ExchangeRecord(LaserOnOff::kCmd, kExecute, record, reply))
        return false;
    UpdateCache([&](LaserCache& c) { c.laserOnOff = reply; });
    Trace("[Laser On Off Executed successfully] on_off = %u slot = %u", record.on_off, record.slot);
    return true;
}

bool KTarvexController::ExecLaserOnOff() {
    std::lock_guard lock(transactionMutex_);
    return SendLaserOnOff(ReadCache([](const LaserCache& c) { return c.laserOnOff; }));
}

bool KTarvexController::SetLaserOnOff(bool on, std::uint8_t slot) {
    std::lock_guard lock(transactionMutex_);
    LaserOnOff record = ReadCache([](const LaserCache& c) { return c.laserOnOff; });
    record.on_off = on ? 1 : 0;
    record.slot = slot;
    return SendLaserOnOff(record);
}

bool KTarvexController::ExecLaserArmDisarm(std::uint8_t armDisarm) {
    std::unique_lock lock(transactionMutex_);
    KTarvexCommand command(kArmDisarmCmd, kExecute);
    command.GetData()[0] = armDisarm;
    KTarvexCommand response;
    if (!Exchange(command, response))
        return false;
    const std::uint8_t echoed = response.GetData()[0];
    UpdateCache([&](LaserCache& c) { c.armDisarm = echoed; });
    Trace("[Laser Arm Disarm Executed successfully] arm_disarm = %u ", echoed);
    if (armDisarm == 0) {
        if (!profile_.disarmWaitHoldsLock)
            lock.unlock();
        WaitUntilDisarmed();
    }
    // The disarm itself went through; how the wait ended does not change that.
    return true;
}

void KTarvexController::WaitUntilDisarmed() {
    // Without the lock held across the wait, each pass takes it only to set the time-out, so
    // that other callers' exchanges can run between the passes.
    const bool perPass = !profile_.disarmWaitHoldsLock;
    const std::uint64_t start = clock_->NowMs();
    bool disarmed = false;
    for (bool first = true;; first = false) {
        if (first || perPass)
            SetTransportTimeouts(kDisarmReadTimeoutMs, 0);
        clock_->SleepMs(kDisarmPollMs);
        if (ReadStatusMask() && !StatusBit(status::kArmed)) {
            disarmed = true;
            break;
        }
        if (clock_->NowMs() - start >= kDisarmWaitLimitMs)
            break;
    }
    SetTransportTimeouts(kNormalReadTimeoutMs, 0);
    if (!disarmed)
        Trace("[Laser Arm Disarm] armed bit still set after %u ms, no longer waiting",
              static_cast<unsigned>(clock_->NowMs() - start));
}

bool KTarvexController::ToggleArm() {
    return ExecLaserArmDisarm(StatusBit(status::kArmed) ? 0 : 1);
}

bool KTarvexController::ReadWriteWwDisplayUnits(bool write) {
    std::lock_guard lock(transactionMutex_);
    return SendWwDisplayUnits(write,
                              write ? ReadCache([](const LaserCache& c) { return c.displayUnits; })
                                    : WwDisplayUnits{});
}

bool KTarvexController::SendWwDisplayUnits(bool write, const WwDisplayUnits& request) {
    WwDisplayUnits units;
    if (!ExchangeRecord(WwDisplayUnits::kCmd, WriteOrRead(write), request, units))
        return false;
    UpdateCache([&](LaserCache& c) { c.displayUnits = units; });
    Trace("[WW Disp Units] ww=%u, pulse_rate = %u", units.ww, units.pulse_rate);
    return true;
}

bool KTarvexController::SetWwDisplayUnits(std::uint8_t wwUnit, std::uint8_t pulseRateUnit) {
    std::lock_guard lock(transactionMutex_);
    WwDisplayUnits units = ReadCache([](const LaserCache& c) { return c.displayUnits; });
    units.ww = wwUnit;
    units.pulse_rate = pulseRateUnit;
    return SendWwDisplayUnits(true, units);
}

bool KTarvexController::ExecLaserShutdown(std::uint8_t first, std::uint32_t value,
                                          std::uint8_t last) {
    const LaserShutdown request{first, value, last};
    KTarvexCommand command(LaserShutdown::kCmd, kExecute);
    wire::Encode(request, command.GetData());
    KTarvexCommand response;
    if (!Exchange(command, response))
        return false;
    UpdateCache([&](LaserCache& c) { c.shutdown = request; });
    Trace("[Laser shutdown successful] ");
    return true;
}

bool KTarvexController::PowerOff() {
    return ExecLaserShutdown(1, 0, 1);
}

bool KTarvexController::ExecQclOnOff(std::uint8_t slot, std::uint8_t cmd) {
    if (!CarriesPanelCommand("KTarvexController::ExecQclOnOff"))
        return false;
    std::lock_guard lock(transactionMutex_);
    QclOnOff reply;
    if (!ExchangeRecord(QclOnOff::kCmd, kExecute, QclOnOff{slot, cmd}, reply))
        return false;
    UpdateCache([&](LaserCache& c) { c.qclOnOff = reply; });
    Trace("[Exec QCL ON OFF] slot = %u, cmd = %u", reply.slot, reply.cmd);
    return true;
}

// Cached-field setters. An out-of-range slot is ignored: there is no record for it.

void KTarvexController::SetQclPulseRate(std::uint8_t slot, float rate, std::uint8_t unit) {
    if (ValidSlot(slot))
        UpdateCache([&](LaserCache& c) {
            c.qclParams[slot - 1].pulse_rate = rate;
            c.qclParams[slot - 1].pulse_rate_unit = unit;
        });
}

void KTarvexController::SetQclPulseWidth(std::uint8_t slot, float width, std::uint8_t unit) {
    if (ValidSlot(slot))
        UpdateCache([&](LaserCache& c) {
            c.qclParams[slot - 1].pulse_width = width;
            c.qclParams[slot - 1].pulse_width_unit = unit;
        });
}

void KTarvexController::SetQclCurrent(std::uint8_t slot, float current) {
    if (ValidSlot(slot))
        UpdateCache([&](LaserCache& c) { c.qclParams[slot - 1].current = current; });
}

void KTarvexController::SetQclTemperature(std::uint8_t slot, float temperature) {
    if (ValidSlot(slot))
        UpdateCache([&](LaserCache& c) { c.qclParams[slot - 1].temp = temperature; });
}

void KTarvexController::SetQclLaserMode(std::uint8_t slot, std::uint8_t mode) {
    if (ValidSlot(slot))
        UpdateCache([&](LaserCache& c) { c.qclParams[slot - 1].laserMode = mode; });
}

void KTarvexController::SetLaserMode(std::uint8_t mode) {
    UpdateCache([&](LaserCache& c) { c.laserParams.laser_mode = mode; });
}

void KTarvexController::SetWavelengthTrigger(std::uint8_t pulseMode, float start, float stop,
                                             float interval, std::uint8_t units) {
    UpdateCache([&](LaserCache& c) {
        c.laserParams.pulse_mode = pulseMode;
        c.laserParams.start_ww = start;
        c.laserParams.stop_ww = stop;
        c.laserParams.interval = interval;
        c.laserParams.units = units;
    });
}

void KTarvexController::SetProcessTrigger(std::uint8_t mode, std::uint32_t dwellTime,
                                          std::uint32_t offTime) {
    UpdateCache([&](LaserCache& c) {
        c.laserParams.process_trigger_mode = mode;
        c.laserParams.dwell_time = dwellTime;
        c.laserParams.off_time = offTime;
    });
}

} // namespace tarvex
