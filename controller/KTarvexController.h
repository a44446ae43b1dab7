#pragma once

#include "Clock.h"
#include "ControllerProfile.h"
#include "KTarvexCommand.h"
#include "KWinTransport.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace tarvex {

// The one object through which a deliverable talks to the laser: it owns the transport, runs
// every command exchange under its transaction lock and keeps the cached picture of the laser.
class KTarvexController {
public:
    explicit KTarvexController(ControllerProfile profile = ControllerProfile::Panel(),
                               Clock* clock = &SystemClock::Instance());
    virtual ~KTarvexController();

    KTarvexController(const KTarvexController&) = delete;
    KTarvexController& operator=(const KTarvexController&) = delete;

    const ControllerProfile& Profile() const { return profile_; }
    Clock& GetClock() const { return *clock_; }

    // --- Transport -------------------------------------------------------------------------
    void SetTransportType(int type) { transportType_.store(type); }
    int GetTransportType() const { return transportType_.load(); }
    // Hands the controller a transport (replacing and destroying any previous one).
    void AttachTransport(std::unique_ptr<KWinTransport> transport);
    void CloseTransport();
    bool HasTransport() const;

    // --- Command transaction ---------------------------------------------------------------
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

protected:
    KWinTransport* Transport() const { return transport_.get(); }

private:
    void CountFailure();

    const ControllerProfile profile_;
    Clock* clock_;

    mutable std::recursive_mutex transactionMutex_;
    std::unique_ptr<KWinTransport> transport_;
    std::atomic<int> transportType_{kTransportSerial};
    std::atomic<std::uint8_t> consecutiveFailures_{0};
    std::function<void()> linkLost_;
};

} // namespace tarvex
