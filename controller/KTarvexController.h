#pragma once

#include "Clock.h"
#include "ControllerProfile.h"
#include "LaserCache.h"
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
// Locking: the transaction lock (recursive) serialises exchanges and is held while a reply is
// parsed into the cache. The cache has a lock of its own, held only for the moment a record is
// copied in or out, so that readers on other threads never wait for the link.
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

    std::recursive_mutex& TransactionMutex() const { return transactionMutex_; }

    std::uint8_t ConsecutiveFailures() const { return consecutiveFailures_.load(); }

    // Called (on whichever thread ran the exchange, with the transaction lock held) on the sixth
    // consecutive failed attempt and every one after it, when the profile asks for it.
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
    // One cycle of the heartbeat's reads (without its sleep).
    void HeartbeatCycle();
    void StartHeartbeat();
    // Asks the heartbeat to stop at the top of its next cycle and waits for it.
    void StopHeartbeat();
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
    bool exportConfig(const std::filesystem::path& fileName, const TransferProgress& progress = {});
    bool importConfig(const std::filesystem::path& fileName, const TransferProgress& progress = {});

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
    // Sends one command (one sequence number) once per installed QCL slot, under one hold of
    // the transaction lock: `request(slot)` gives the slot's request record and
    // `done(slot, ok, reply)` runs after each exchange. The result is the last slot's, false
    // with no QCL installed.
    template <typename Record, typename Request, typename Done>
    bool ExchangePerSlot(std::uint16_t cmdID, std::uint8_t disposition, Request request,
                         Done done) {
        KTarvexCommand command(cmdID, disposition);
        std::lock_guard lock(transactionMutex_);
        const std::size_t installed = InstalledQcls();
        bool result = false;
        for (std::size_t index = 0; index < installed; ++index) {
            const auto slot = static_cast<std::uint8_t>(index + 1);
            Record reply{};
            result = ExchangeRecord(command, request(slot), reply);
            done(slot, result, reply);
        }
        return result;
    }

    // Tuning, scans, saved states and diagnostics: one exchange under the transaction lock
    // whose good reply replaces the cached record `pick(cache)` refers to.
    template <typename Record, typename Pick>
    bool ExchangeIntoCache(std::uint16_t cmdID, std::uint8_t disposition, const Record& request,
                           Pick pick, Record& reply) {
        std::lock_guard lock(transactionMutex_);
        if (!ExchangeRecord(cmdID, disposition, request, reply))
            return false;
        UpdateCache([&](LaserCache& c) { pick(c) = reply; });
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
    bool SendQclVsrc(bool write, std::size_t index);

    // Heartbeat (commands/KTarvexControllerHeartbeat.cpp).
    void HeartbeatLoop(std::stop_token stop);

    // Configuration and firmware update (commands/KTarvexControllerConfig.cpp): one exchange with
    // the transport's read time-out raised to `readMs` for its length, then set back to normal.
    static constexpr std::uint32_t kNormalReadTimeoutMs = 2000;
    bool ExchangeWithReadTimeout(KTarvexCommand& command, KTarvexCommand& response,
                                 std::uint32_t readMs);

    const ControllerProfile profile_;
    Clock* clock_;

    mutable std::recursive_mutex transactionMutex_;
    std::unique_ptr<KWinTransport> transport_;
    TransportWrapper transportWrapper_;
    std::atomic<int> transportType_{kTransportSerial};
    std::atomic<std::uint8_t> consecutiveFailures_{0};
    std::function<void()> linkLost_;

    mutable std::mutex cacheMutex_;
    LaserCache cache_;

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
};

} // namespace tarvex
