#pragma once

#include "Clock.h"
#include "ControllerProfile.h"
#include "LaserCache.h"
#include "StagedReads.h"
#include "TransactionLock.h"
#include "TuningRange.h"
#include "codec/KTarvexCommand.h"
#include "records/ByteRecord.h"
#include "transport/KWinTransport.h"
#include "transport/PortProvider.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tarvex {

// Operating modes chosen on the panel's command line.
namespace operating_mode {
inline constexpr int kNormal = 0;
inline constexpr int kManufacturing = 3;
inline constexpr int kDemo = 4;
inline constexpr int kCachesOnly = 6; // configuration export and import use the caches as they are
inline constexpr int kEthernetTest = 7;
} // namespace operating_mode

// The one object through which a deliverable talks to the laser: it owns the transport, runs
// every command exchange under its transaction lock and keeps the cached picture of the laser.
//
// Locking: the transaction lock (recursive, first come first served) serialises exchanges and is
// held while a reply is parsed into the cache. The cache has a lock of its own, held only for
// the moment a record is copied in or out, so that readers on other threads never wait for the
// link. The heartbeat takes the transaction lock per exchange, so a user's command waits at most
// for the exchange in progress, and publishes each cycle's reads to the cache together at the
// cycle's end.
class KTarvexController {
public:
    explicit KTarvexController(ControllerProfile profile = ControllerProfile::Panel(),
                               Clock* clock = &SystemClock::Instance());
    virtual ~KTarvexController();

    KTarvexController(const KTarvexController&) = delete;
    KTarvexController& operator=(const KTarvexController&) = delete;

    const ControllerProfile& Profile() const { return profile_; }
    Clock& GetClock() const { return *clock_; }

    // =========================================================================================
    // Connection (commands/KTarvexControllerConnection.cpp)
    // =========================================================================================

    // Settings applied before Initialize.
    void SetComPort(const std::string& port); // a fixed port: no search
    void SetBaudRate(std::uint32_t baud);     // a fixed first baud rate
    void SetTransportType(int type) { transportType_.store(type); }
    int GetTransportType() const { return transportType_.load(); }
    void SetUdpAddress(std::uint32_t address, std::uint16_t port);
    std::uint32_t GetUdpAddress() const;
    std::uint16_t GetUdpPort() const;
    // The local address the UDP transport binds (0: any), so that a host and a simulator can
    // share one machine on two loopback addresses.
    void SetUdpLocalAddress(std::uint32_t address);
    void SetOperatingMode(int mode) { operatingMode_.store(mode); }
    int GetOperatingMode() const { return operatingMode_.load(); }
    // Replaces the machine's ports for the connection search (tests use simulated ones).
    void SetPortProvider(std::unique_ptr<PortProvider> provider);
    // The per-byte read limit of the connection probe on a serial port.
    void SetProbeTimeoutMs(std::uint32_t ms) { probeTimeoutMs_.store(ms); }

    // The panel's connection: searches the ports (or the UDP address), probes, refreshes and
    // starts the heartbeat. Returns the connected flag.
    bool Initialize();
    // The SDK's connection: takes the transport, probes and refreshes; no heartbeat.
    bool Initialize(std::unique_ptr<KWinTransport> transport);
    // The SDK's search over the laser's USB adapters: every adapter of the device list at
    // 921600 baud, then every one again at 115200, the list taken afresh before each pass; the
    // first that answers the probe stays (Initialize with its transport). `onlyIndex` limits
    // the search to the adapter at that index of the list.
    bool InitializeUsbAdapter(std::optional<int> onlyIndex = std::nullopt);
    bool IsConnected() const { return connected_.load(); }
    void SetConnected(bool connected) { connected_.store(connected); }
    // The port and baud rate of the panel's last successful serial search.
    std::string ConnectedPort() const;
    std::uint32_t ConnectedBaud() const { return connectedBaud_.load(); }

    // Hands the controller a transport (replacing and destroying any previous one).
    void AttachTransport(std::unique_ptr<KWinTransport> transport);
    // Wraps every transport the controller takes from now on, whichever search or caller hands
    // it over (a packet trace wraps them so); empty: none.
    using TransportWrapper =
        std::function<std::unique_ptr<KWinTransport>(std::unique_ptr<KWinTransport>)>;
    void SetTransportWrapper(TransportWrapper wrapper);
    void CloseTransport();
    bool HasTransport() const;

    // =========================================================================================
    // Command transaction (KTarvexController.cpp)
    // =========================================================================================

    // The caller holds the transaction lock for the three of these.
    bool WriteCommand(KTarvexCommand& command);
    bool ReadResponse(const KTarvexCommand& command, KTarvexCommand& response);
    bool ExecuteCommand(KTarvexCommand& command, KTarvexCommand& response);

    // Takes the transaction lock and runs one exchange; false at once without a transport.
    bool Exchange(KTarvexCommand& command, KTarvexCommand& response);

    TransactionLock& TransactionMutex() const { return transactionMutex_; }

    std::uint8_t ConsecutiveFailures() const { return consecutiveFailures_.load(); }

    // Called once for the sixth consecutive failed attempt and once for every one after it, when
    // the profile asks for it. The call comes after the transaction lock is released, on the
    // thread that released it (usually the one whose exchange failed; the heartbeat's thread
    // when the heartbeat's read failed), and never from inside the callback itself: failures of
    // the callback's own commands are reported after it returns, at the next release.
    //
    // So the callback holds no lock of the controller's and may:
    //  - call any operation, read the cache, close the transport;
    //  - stop the heartbeat. On the heartbeat's own thread StopHeartbeat only asks: the cycle
    //    sends nothing more and the thread ends by itself; it is waited for by the destructor
    //    (or a StopHeartbeat from another thread);
    //  - have another thread destroy the controller (the panel quits its event loop, whose owner
    //    then destroys it): the destructor waits for the heartbeat thread first.
    // It must not destroy the controller itself: the operation it interrupted still runs on it.
    void SetLinkLostCallback(std::function<void()> callback);

    // Sets the transport's time-outs under the transaction lock; nothing without a transport.
    void SetTransportTimeouts(std::uint32_t readMs, std::uint32_t writeMs);

    // =========================================================================================
    // Cache access: a consistent copy of what the laser last reported.
    // =========================================================================================

    // Runs `reader` on the cache under the cache lock and returns its result.
    template <typename F> auto ReadCache(F reader) const {
        std::lock_guard lock(cacheMutex_);
        return reader(static_cast<const LaserCache&>(cache_));
    }
    // Runs `writer` on the cache under the cache lock (setters of cached fields).
    template <typename F> void UpdateCache(F writer) {
        std::lock_guard lock(cacheMutex_);
        writer(cache_);
    }
    LaserCache Snapshot() const {
        return ReadCache([](const LaserCache& c) { return c; });
    }

    std::uint32_t StatusBits() const {
        return ReadCache([](const LaserCache& c) { return c.status.mask; });
    }
    bool StatusBit(std::uint32_t bit) const { return (StatusBits() & bit) != 0; }
    std::uint16_t SystemErrorWord() const {
        return ReadCache([](const LaserCache& c) { return c.status.errorWord; });
    }
    std::size_t InstalledQcls() const {
        return ReadCache([](const LaserCache& c) { return c.InstalledQcls(); });
    }
    std::uint8_t ActiveQcl() const {
        return ReadCache([](const LaserCache& c) { return c.activeQcl; });
    }
    // Status bits 5 and 7, scan number and percent, wavelength and unit, and the progress flags,
    // all copied at one moment.
    ScanStatus GetScanStatus() const;
    // The whole laser's tuning range from the cached identity records.
    TuningRange OverallTuningRange() const {
        return ReadCache([](const LaserCache& c) { return tarvex::OverallTuningRange(c); });
    }

    // =========================================================================================
    // Identity (commands/KTarvexControllerIdentity.cpp)
    // =========================================================================================

    bool ReadInfoSysInfo();
    bool ReadWriteAdminParams(bool write);
    bool ReadWriteAdminQclParams(bool write);
    bool ReadFwVersion();
    bool ReadMbFwVersion();
    FirmwareVersion ControllerFirmware() const {
        return ReadCache([](const LaserCache& c) { return c.firmware; });
    }
    FirmwareVersion MotionFirmware() const {
        return ReadCache([](const LaserCache& c) { return c.motionFirmware; });
    }
    std::string SerialNumber() const;
    std::string ModelNumber() const;

    // =========================================================================================
    // Status and readback (commands/KTarvexControllerStatus.cpp)
    // =========================================================================================

    bool ReadInfoLight();
    bool ReadQclInfoParam();
    bool ReadQclInfoParam2();
    bool ReadStatusMask();
    bool ReadInfoTemps();
    bool ReadSystemErrorsList();
    // Reads the lists, then copies the cached record (the previous one when the read failed).
    bool ReadSystemErrors(SystemErrorsList& out);
    bool ReadScanProgress();
    bool ExecClearFault(std::uint8_t action);
    // Clears the active fault; false when a fault is still reported afterwards.
    bool ClearFault();
    bool ClearFaultList();

    // =========================================================================================
    // Laser and QCL parameters (commands/KTarvexControllerLaser.cpp)
    // =========================================================================================

    bool ReadWriteLaserParams(bool write);
    bool ReadWriteLaserQclParams(bool write);
    // `index` is 0-based; false without an exchange for an index not below the installed count.
    bool ReadWriteLaserQclVsrc(bool write, std::size_t index);
    float GetQclVsrc(std::size_t index);
    bool SetQclVsrc(std::size_t index, float value);
    // maxPulsed for mode 1, else maxCw.
    float GetQclMaxVsrc(std::size_t index, std::uint8_t mode) const;
    bool ReadLaserOnOff();
    bool SetLaserOnOff(bool on, std::uint8_t slot);
    bool ExecLaserOnOff();
    bool ExecLaserArmDisarm(std::uint8_t armDisarm);
    // Disarms when the cached status shows the laser armed, else arms.
    bool ToggleArm();
    bool ReadWriteWwDisplayUnits(bool write);
    bool SetWwDisplayUnits(std::uint8_t wwUnit, std::uint8_t pulseRateUnit);
    bool ExecLaserShutdown(std::uint8_t first, std::uint32_t value, std::uint8_t last);
    bool PowerOff();
    bool ExecQclOnOff(std::uint8_t slot, std::uint8_t cmd);

    // Cached-field setters; the caller follows them with the write. Slots are 1-based.
    void SetQclPulseRate(std::uint8_t slot, float rate, std::uint8_t unit);
    void SetQclPulseWidth(std::uint8_t slot, float width, std::uint8_t unit);
    void SetQclCurrent(std::uint8_t slot, float current);
    void SetQclTemperature(std::uint8_t slot, float temperature);
    void SetQclLaserMode(std::uint8_t slot, std::uint8_t mode);
    void SetLaserMode(std::uint8_t mode);
    void SetWavelengthTrigger(std::uint8_t pulseMode, float start, float stop, float interval,
                              std::uint8_t units);
    void SetProcessTrigger(std::uint8_t mode, std::uint32_t dwellTime, std::uint32_t offTime);

    // How long the wait for the armed bit to clear after a disarm may last.
    static constexpr std::uint32_t kDisarmWaitLimitMs = 30000;

    // =========================================================================================
    // Tuning and scans (commands/KTarvexControllerScan.cpp)
    // =========================================================================================

    bool ReadWriteScanMode(bool write);
    bool ExecScanOperation();
    bool ReadWriteSingleWWParams(bool write);
    bool ReadWriteSweepModeParams(bool write);
    bool ReadWriteStepMeasureParams(bool write);
    bool ReadWriteMultiSpectralParams(bool write);
    bool ReadWriteSweepAdvancedParams(bool write);
    bool ReadWriteWlTrigParams(bool write);
    bool ReadWriteWlTrigPulseWidth(bool write);
    bool ReadWritePointerEnable();

    bool TuneToWW(float ww, std::uint8_t unit, std::uint32_t scanTimeDuration, std::uint8_t qcl);
    bool StartStepMeasureScan(float start, float stop, float step, std::uint8_t unit,
                              std::uint16_t numScans, bool keepLaserOn);
    // False without sending anything for more than 20 elements.
    bool StartMultiSpectralScan(const std::vector<MultiSpectralElement>& elements,
                                std::uint8_t unit, std::uint16_t numScans, bool keepLaserOn);
    bool StartSweepScan(float start, float stop, float speed, std::uint8_t unit,
                        std::uint16_t numScans, bool bidirectional, std::uint8_t qcl);
    bool StartSweepAdvancedScan();
    bool StopScan();
    bool PauseScan();
    bool ResumeScan();
    bool ManualStep();
    bool InjectProcessTrigger();
    bool SetPointerEnable(bool on);
    void SetTunedQcl(std::uint8_t qcl);
    // The preferred QCL the panel's Scan page chose for the next sweep.
    void SetScanQcl(std::uint8_t qcl);
    void SetWlTrigPulseWidth(std::uint16_t pulseWidthUs);

    // =========================================================================================
    // Saved states and preferences (commands/KTarvexControllerSavedStates.cpp)
    // =========================================================================================

    bool ReadSysNumSavedStates();
    bool ReadSavedStateNames();
    bool CreateSavedState(const std::string& name, std::uint8_t& slot);
    // Saves the laser's present state into `slot` under `name` (overwriting a favorite).
    bool ExecSysSaveState(std::uint8_t slot, const std::string& name);
    bool RecallSavedState(std::uint8_t slot);
    bool EraseSavedState(std::uint8_t slot);
    bool ExecRegenDefaultFavorite();
    bool ReadWriteAudioNotificationPref(bool write);
    bool ReadWriteGlobalPreferences(bool write);
    bool ReadWriteProvisioningIpAddr(bool write);

    // =========================================================================================
    // Factory and diagnostics (commands/KTarvexControllerDiagnostics.cpp)
    // =========================================================================================

    bool ReadWriteTestQclParams(bool write, std::uint8_t slot);
    bool ReadAllTestQclParams();
    bool ReadTestQclInfo(std::uint8_t slot);
    bool ReadAllTestQclInfo();
    bool ReadWriteTestGalvoParams(bool write, std::uint8_t slot);
    bool SetTestGalvo(std::uint8_t slot, std::int32_t dacCount);
    bool ReadAllTestGalvoParams();
    bool ReadWriteTestGalvoEnable(bool write);
    bool ReadTecMeas();
    bool ReadEncoder();
    bool ReadWriteMotionTestParams(bool write, std::uint8_t slot);
    bool ReadMoveDuration(std::uint8_t index);
    bool ReadWriteGalvoLaserEnable(bool write);
    bool ReadTestLaserInfo();
    bool ReadBusVoltages();
    bool ReadSysTemps();
    bool ReadSysVoltages();
    bool ReadInstalledSleds();
    bool ReadWriteTecChannel(bool write, std::uint8_t index, bool on, std::uint8_t direction);
    bool ReadWriteTecChannelDrive(bool write, std::uint8_t index, bool enable, float value,
                                  bool flag);
    bool ExecQclIfTest(bool execute, std::uint8_t index);

    // =========================================================================================
    // Heartbeat and refresh (commands/KTarvexControllerHeartbeat.cpp)
    // =========================================================================================

    // Reads the whole state once; true when every read of the main chain succeeded.
    bool refresh();
    // One cycle of the heartbeat's reads (without its sleep), published to the cache together
    // when it ends.
    void HeartbeatCycle();
    void StartHeartbeat();
    // Asks the heartbeat to stop (it sends nothing after its exchange in progress) and waits for
    // its thread, except on that thread itself, where the destructor or a later StopHeartbeat
    // from another thread waits for it.
    void StopHeartbeat();
    // Started and not asked to stop.
    bool HeartbeatRunning() const;
    void SetHeartbeatPaused(bool paused) { heartbeatPaused_.store(paused); }
    bool HeartbeatPaused() const { return heartbeatPaused_.load(); }

    // =========================================================================================
    // Configuration export and import (commands/KTarvexControllerConfig.cpp)
    // =========================================================================================

    bool ReadWriteEEPROMData(bool write, std::uint8_t slot);
    bool ReadWriteSysConfig(bool write);
    bool ReadAllEEPROMData();
    // Progress of an export or import for a front end's display: `done` of `total` records
    // transferred, reported after each.
    using TransferProgress = std::function<void(std::size_t done, std::size_t total)>;
    // On failure `why`, when given, receives the reason the trace gives.
    bool exportConfig(const std::filesystem::path& fileName, const TransferProgress& progress = {},
                      std::string* why = nullptr);
    bool importConfig(const std::filesystem::path& fileName, const TransferProgress& progress = {},
                      std::string* why = nullptr);

    // =========================================================================================
    // Firmware update (commands/KTarvexControllerFirmware.cpp)
    // =========================================================================================

    bool ExecFirmwareUpdate(std::uint8_t type);
    bool WaitForUpdateReady();
    bool WriteFwData(std::uint32_t address, const std::uint8_t* data, std::uint32_t n);
    bool FinishFwUpdate(std::uint32_t totalBytes);
    bool WriteMbFwData(std::uint32_t offset, std::int32_t n, const std::uint8_t* data);
    void FinishMbFwUpdate();

protected:
    KWinTransport* Transport() const { return transport_.get(); }

private:
    void CountFailure();

    // One exchange of a record-shaped command: sends `request` encoded in wire order and, on
    // success, decodes the reply into `reply`. The caller stores the reply in the cache.
    template <typename Record>
    bool ExchangeRecord(std::uint16_t cmdID, std::uint8_t disposition, const Record& request,
                        Record& reply) {
        KTarvexCommand command(cmdID, disposition);
        return ExchangeRecord(command, request, reply);
    }
    // A record read whose request carries only zeros.
    template <typename Record> bool ReadRecord(std::uint16_t cmdID, Record& reply) {
        return ExchangeRecord(cmdID, kRead, Record{}, reply);
    }
    // ExchangeRecord with a command built by the caller, so that it can be sent more than once.
    template <typename Record>
    bool ExchangeRecord(KTarvexCommand& command, const Record& request, Record& reply) {
        wire::Encode(request, command.GetData());
        KTarvexCommand response;
        if (!Exchange(command, response))
            return false;
        wire::Decode(response.GetData(), reply);
        return true;
    }
    // Sends one command (one sequence number) once per installed QCL slot: `request(slot)`
    // gives the slot's request record and `done(slot, ok, reply)` runs after each exchange. A
    // reply whose `replySlot` names another slot is a late answer to an earlier slot (they all
    // share the sequence number) and fails the exchange. The result is the last slot's, false
    // with no QCL installed. The slots go under one hold of the transaction lock, except in a
    // heartbeat cycle, which lets other commands in between them.
    template <typename Record, typename Request, typename Done>
    bool ExchangePerSlot(std::uint16_t cmdID, std::uint8_t disposition,
                         std::uint8_t Record::*replySlot, Request request, Done done) {
        KTarvexCommand command(cmdID, disposition);
        std::unique_lock hold(transactionMutex_, std::defer_lock);
        if (!InHeartbeatCycle())
            hold.lock();
        const std::size_t installed = InstalledQcls();
        bool result = false;
        for (std::size_t index = 0; index < installed; ++index) {
            const auto slot = static_cast<std::uint8_t>(index + 1);
            std::lock_guard exchange(transactionMutex_);
            Record reply{};
            result = ExchangeRecord(command, request(slot), reply) &&
                     AcceptSlotReply(command, slot, reply.*replySlot);
            done(slot, result, reply);
        }
        return result;
    }
    // False, with the stale bytes purged and the failure counted, when `replied` is not `asked`.
    bool AcceptSlotReply(const KTarvexCommand& command, std::uint8_t asked, std::uint8_t replied);
    // Stores a slot's good reply in `records`; returns what the slot's trace line shows: the
    // reply, or after a failure the slot's cached record.
    template <typename Record>
    Record KeepSlotRecord(std::array<Record, kMaxQcls> LaserCache::*records, std::uint8_t slot,
                          bool ok, const Record& reply) {
        const std::size_t index = slot - 1u;
        if (!ok)
            return ReadCache([&](const LaserCache& c) { return (c.*records)[index]; });
        StoreRead([records, index](LaserCache& c) -> Record& { return (c.*records)[index]; },
                  reply);
        return reply;
    }

    // Stores a record read from the laser into the cache: at once, or, on the thread running a
    // heartbeat cycle, when the cycle publishes. A record stored at once supersedes what a
    // cycle in progress read of it earlier. `record` is the cached record `store` writes.
    void StoreRecord(const void* record, StagedReads::Store store);
    template <typename Record, typename Pick> void StoreRead(Pick pick, const Record& value) {
        StoreRecord(&pick(cache_), [pick, value](LaserCache& c) { pick(c) = value; });
    }
    template <typename Field> void StoreRead(Field LaserCache::*field, const Field& value) {
        StoreRecord(&(cache_.*field), [field, value](LaserCache& c) { c.*field = value; });
    }

    // Tuning, scans, saved states and diagnostics: one exchange under the transaction lock
    // whose good reply replaces the cached record `pick(cache)` refers to.
    template <typename Record, typename Pick>
    bool ExchangeIntoCache(std::uint16_t cmdID, std::uint8_t disposition, const Record& request,
                           Pick pick, Record& reply) {
        std::lock_guard lock(transactionMutex_);
        if (!ExchangeRecord(cmdID, disposition, request, reply))
            return false;
        StoreRead(pick, reply);
        return true;
    }
    static std::uint8_t WriteOrRead(bool write) { return write ? kWrite : kRead; }
    // Traces why `who` sends nothing for its arguments; returns false.
    static bool Refuse(const char* who, const char* why);
    // False (traced) when the profile does not carry the panel's or the SDK's own command.
    bool CarriesPanelCommand(const char* who) const {
        return profile_.panelCommands || Refuse(who, "a command of the control panel only");
    }
    bool CarriesSdkCommand(const char* who) const {
        return profile_.sdkCommands || Refuse(who, "a command of the SDK only");
    }
    template <typename Field> Field CachedCopy(Field LaserCache::*field) const {
        return ReadCache([field](const LaserCache& c) { return c.*field; });
    }
    // A one-byte command whose good reply replaces the cached byte `field`.
    bool ExchangeByte(std::uint16_t cmdID, std::uint8_t disposition, std::uint8_t value,
                      std::uint8_t LaserCache::*field, std::uint8_t& replied) {
        std::lock_guard lock(transactionMutex_);
        ByteRecord reply;
        if (!ExchangeRecord(cmdID, disposition, ByteRecord{value}, reply))
            return false;
        UpdateCache([&](LaserCache& c) { c.*field = reply.value; });
        replied = reply.value;
        return true;
    }
    // Runs `step(channel)` for channels 0 to count - 1 and stops at the first failure; true when
    // all succeed (and with none). `holdLock` keeps the transaction lock across the loop.
    bool ForEachChannel(std::size_t count, bool holdLock,
                        const std::function<bool(std::uint8_t)>& step);

    // Tuning and scans (commands/KTarvexControllerScan.cpp).
    bool TransferScanMode(std::uint8_t disposition, std::uint8_t mode);
    bool RunScanOperation(std::uint8_t operation);
    // Scan mode, the mode's record (when `writeRecord` is given), start, then the status reads.
    bool StartScan(std::uint8_t mode, const std::function<bool()>& writeRecord);
    bool TransferScanRecord(std::uint8_t disposition, const SingleWWParams& request);
    bool TransferScanRecord(std::uint8_t disposition, const SweepModeParams& request);
    bool TransferScanRecord(std::uint8_t disposition, const StepMeasureParams& request);
    bool TransferScanRecord(std::uint8_t disposition, const MultiSpectralParams& request);
    bool TransferScanRecord(std::uint8_t disposition, const SweepAdvancedParams& request);
    bool TransferWlTrigPulseWidth(std::uint8_t disposition, const WlTrigPulseWidth& request);
    bool TransferPointerEnable(std::uint8_t enable);

    // Saved states (commands/KTarvexControllerSavedStates.cpp).
    bool ReadSavedStateName(std::uint8_t slot, std::string& name);

    // Diagnostics (commands/KTarvexControllerDiagnostics.cpp).
    bool TransferTestGalvo(std::uint8_t disposition, const TestGalvoParams& request);
    bool ReadTecMeasAt(std::uint8_t index);
    bool ReadEncoderAt(std::uint8_t slot);

    // Connection (commands/KTarvexControllerConnection.cpp).
    void BeginInitialize();
    PortProvider& Ports();
    bool SearchSerialPorts(PortProvider& ports);
    bool ConnectUdp(PortProvider& ports);
    // Holds `transport` and probes the laser through it; drops it again when the probe fails.
    bool Probe(std::unique_ptr<KWinTransport> transport);

    // Laser parameters (commands/KTarvexControllerLaser.cpp).
    void WaitUntilDisarmed();
    bool SendLaserOnOff(const LaserOnOff& record);
    bool SendQclVsrc(bool write, std::size_t index, float vsrc);
    bool SendWwDisplayUnits(bool write, const WwDisplayUnits& request);

    // Heartbeat (commands/KTarvexControllerHeartbeat.cpp).
    void HeartbeatLoop(std::stop_token stop);
    // One cycle; `stop` ends it before its next exchange.
    void RunHeartbeatCycle(std::stop_token stop);
    void BeginHeartbeatCycle(std::stop_token stop);
    void EndHeartbeatCycle();
    // True on the thread running a heartbeat cycle, while it runs.
    bool InHeartbeatCycle() const { return cycleThread_.load() == std::this_thread::get_id(); }
    // Under the transaction lock, before each exchange: false when the exchange is a heartbeat
    // read that must not go (paused or asked to stop); else applies the exchange's time-outs.
    bool PrepareExchange();
    // Gives the transport the heartbeat's read time-out, or the normal one back.
    void UseHeartbeatTimeouts(bool heartbeat);
    // Runs the link-lost callback for the notifications raised under the transaction lock.
    void DeliverLinkLost();

    // Configuration and firmware update (commands/KTarvexControllerConfig.cpp): one exchange with
    // the transport's read time-out raised to `readMs` for its length, then set back to normal.
    static constexpr std::uint32_t kNormalReadTimeoutMs = 2000;
    bool ExchangeWithReadTimeout(KTarvexCommand& command, KTarvexCommand& response,
                                 std::uint32_t readMs);

    const ControllerProfile profile_;
    Clock* clock_;

    mutable TransactionLock transactionMutex_{[this] { DeliverLinkLost(); }};
    std::unique_ptr<KWinTransport> transport_;
    TransportWrapper transportWrapper_;
    std::atomic<int> transportType_{kTransportSerial};
    std::atomic<std::uint8_t> consecutiveFailures_{0};
    bool heartbeatTimeouts_ = false; // the heartbeat's read time-out is set; transaction lock

    // Link-lost notifications raised under the transaction lock and not yet delivered.
    std::atomic<unsigned> linkLostPending_{0};
    std::atomic<bool> deliveringLinkLost_{false};
    mutable std::mutex linkLostMutex_;
    std::function<void()> linkLost_;

    mutable std::mutex cacheMutex_;
    LaserCache cache_;
    StagedReads staged_; // cache lock
    // The saved-state table has been read from this laser.
    std::atomic<bool> savedStateTableRead_{false};

    // Connection settings.
    mutable std::mutex settingsMutex_;
    std::string fixedPort_;
    bool haveFixedBaud_ = false;
    std::uint32_t baudRate_ = 921600;
    std::uint32_t udpAddress_ = 0;
    std::uint16_t udpPort_ = 0;
    std::uint32_t udpLocalAddress_ = 0;
    std::string connectedPort_;
    std::unique_ptr<PortProvider> portProvider_;
    std::atomic<std::uint32_t> probeTimeoutMs_{2000};
    std::atomic<std::uint32_t> connectedBaud_{0};
    std::atomic<int> operatingMode_{operating_mode::kNormal};
    std::atomic<int> initializedMode_{operating_mode::kNormal};
    std::atomic<bool> connected_{false};

    // Heartbeat.
    std::atomic<bool> heartbeatPaused_{false};
    std::atomic<bool> firstRefresh_{true};
    std::jthread heartbeat_; // its stop request is the loop's exit
    mutable std::mutex heartbeatMutex_;
    std::mutex cycleMutex_; // one cycle at a time
    std::atomic<std::thread::id> cycleThread_;
    std::stop_token cycleStop_; // read only by the cycle's own thread
};

} // namespace tarvex
