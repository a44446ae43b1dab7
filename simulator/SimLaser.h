#pragma once

#include "Clock.h"

#include <cstdint>
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

struct SimReply {
    std::vector<std::uint8_t> payload; // sized to the command's response length
    std::uint16_t status = 0;
    bool nak = false; // refuse the command instead of answering it
};

// The simulated laser controller firmware: the state of the laser and a handler per command id.
// Thread-safe: link attachments and test controls may call it from different threads.
class SimLaser {
public:
    using Handler = std::function<void(const SimRequest&, SimReply&)>;

    explicit SimLaser(Clock& clock = SystemClock::Instance());
    ~SimLaser();

    // Executes one command that arrived intact; the reply payload comes back zero-filled for a
    // known id that has no handler. Unknown ids and responses sent to the laser are refused.
    SimReply Process(const SimRequest& request);

    // Replaces the handler of a command id (tests use it to stage odd replies).
    void SetHandler(std::uint16_t cmdID, Handler handler);

    // --- Controls of the simulated hardware --------------------------------------------------
    void SetStatusMask(std::uint32_t mask);
    std::uint32_t StatusMask() const;

    // Commands executed, per id.
    std::size_t Executed(std::uint16_t cmdID) const;

    Clock& GetClock() const { return clock_; }

private:
    void RegisterHandlers();

    Clock& clock_;
    mutable std::recursive_mutex mutex_;
    std::unordered_map<std::uint16_t, Handler> handlers_;
    std::unordered_map<std::uint16_t, std::size_t> executed_;

    std::uint32_t statusMask_;
    std::uint16_t systemErrorWord_ = 0;
};

} // namespace tarvex::sim
