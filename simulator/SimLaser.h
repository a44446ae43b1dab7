#pragma once

#include "Clock.h"
#include "LaserProfile.h"
#include "SimState.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <unordered_map>
#include <vector>

namespace tarvex::sim {

struct SimRequest {
    std::uint16_t cmdID = 0;
    std::uint8_t disposition = 0;
    std::uint16_t seqnum = 0;
    std::span<const std::uint8_t> payload;
};

// Bytes the laser sends of its own accord or in a raw exchange, possibly after a delay.
struct SimEmission {
    std::vector<std::uint8_t> bytes;
    std::uint32_t delayMs = 0;
};

struct SimReply {
    std::vector<std::uint8_t> payload; // sized to the command's response length
    std::uint16_t status = 0;
    bool nak = false; // refuse the command instead of answering it
    // Sent after the response (the firmware update's ready byte, for one).
    std::vector<SimEmission> after;
};

// The simulated laser controller firmware: the laser's state, a handler per command id and the
// dynamics that move the state on with simulated time. Thread-safe: link attachments and test
// controls may call it from different threads.
class SimLaser {
public:
    using Handler = std::function<void(const SimRequest&, SimReply&)>;

    explicit SimLaser(Clock& clock = SystemClock::Instance(),
                      LaserProfile profile = LaserProfile::Default());
    ~SimLaser();
    SimLaser(const SimLaser&) = delete;
    SimLaser& operator=(const SimLaser&) = delete;

    // Executes one command that arrived intact; the reply payload comes back zero-filled for a
    // known id that has no handler. Unknown ids and responses sent to the laser are refused.
    SimReply Process(const SimRequest& request);

    // While the firmware update takes raw frames instead of command packets, the link hands
    // every byte here; the result is what the laser sends back.
    bool InRawMode() const;
    std::vector<SimEmission> ProcessRaw(const std::uint8_t* bytes, std::size_t count);

    // Replaces the handler of a command id (tests use it to stage odd replies).
    void SetHandler(std::uint16_t cmdID, Handler handler);

    // --- Controls of the simulated hardware --------------------------------------------------
    void SetInterlock(bool closed);
    void SetKeySwitch(bool on);
    void SetPointerFitted(bool fitted);
    // Puts a code into the error ring (status bit 8 and the error word follow) or the warning ring.
    void InjectError(std::uint16_t code);
    void InjectWarning(std::uint16_t code);
    // Case temperature warnings: which 1 or 2 for the case sensors, 3 for the PCB.
    void SetTemperatureWarning(int which, bool on);
    // Pins the reported status mask (tests of the link use it); none returns to the model's.
    void SetStatusMask(std::uint32_t mask);
    void ClearStatusOverride();
    std::uint32_t StatusMask();

    // --- Inspection ----------------------------------------------------------------------------
    // Runs `f` on the state, moved on to the present, under the laser's lock.
    template <typename F> auto Inspect(F f) {
        std::lock_guard lock(mutex_);
        AdvanceTo(clock_.NowMs());
        return f(static_cast<const SimState&>(state_));
    }
    template <typename F> void Modify(F f) {
        std::lock_guard lock(mutex_);
        AdvanceTo(clock_.NowMs());
        f(state_);
    }
    const LaserProfile& Profile() const { return profile_; }
    // Commands executed, per id.
    std::size_t Executed(std::uint16_t cmdID) const;
    // The commands executed, in order, with their request payloads: the most recent
    // kHistoryLimit of them.
    static constexpr std::size_t kHistoryLimit = 8192;
    std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> History() const;
    void ClearHistory();

    Clock& GetClock() const { return clock_; }

private:
    // Moves the dynamics on to `nowMs`. Caller holds the lock.
    void AdvanceTo(std::uint64_t nowMs);
    std::uint32_t ComposeStatusMask() const;

    // Each command area registers its handlers and moves its own dynamics on.
    void RegisterIdentityHandlers();       // SimIdentity.cpp
    void RegisterStatusHandlers();         // SimStatus.cpp
    void RegisterLaserHandlers();          // SimLaserParams.cpp
    void RegisterScanHandlers();           // SimScan.cpp
    void RegisterSavedStateHandlers();     // SimSavedStates.cpp
    void RegisterDiagnosticHandlers();     // SimDiagnostics.cpp
    void RegisterConfigHandlers();         // SimConfig.cpp
    void RegisterFirmwareUpdateHandlers(); // SimFirmwareUpdate.cpp
    void InitializeState();                // SimLaserParams.cpp: the state at power-up
    void AdvanceLaser(std::uint64_t dtMs); // SimLaserParams.cpp: TECs, arming, readbacks
    void AdvanceScan(std::uint64_t dtMs);  // SimScan.cpp: tuning and scans
    std::uint32_t ScanStatusBits() const;  // SimScan.cpp: the scan's part of the status mask

    Clock& clock_;
    const LaserProfile profile_;
    mutable std::recursive_mutex mutex_;
    std::unordered_map<std::uint16_t, Handler> handlers_;
    std::unordered_map<std::uint16_t, std::size_t> executed_;
    std::deque<std::pair<std::uint16_t, std::vector<std::uint8_t>>> history_;
    SimState state_;
    bool started_ = false;
};

} // namespace tarvex::sim
