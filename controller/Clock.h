#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace tarvex {

// Every wait of the controller goes through a Clock so that tests can run on simulated time.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary origin; never goes backwards.
    virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
};

// Real time: a steady clock and real sleeps.
class SystemClock final : public Clock {
public:
    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    static SystemClock& Instance();
};

// Simulated time for tests: sleeping advances the time at once and records the wait. Listeners
// (the simulated laser, for one) hear of every advance, so that a model follows the host's waits.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::uint64_t startMs = 0) : now_(startMs) {}

    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    void Advance(std::uint64_t ms);

    // The waits made through SleepMs, in order.
    std::vector<std::uint32_t> Sleeps() const;
    void ClearSleeps();

    using Listener = std::function<void(std::uint64_t nowMs)>;
    void SetAdvanceListener(Listener listener);

private:
    mutable std::mutex mutex_;
    std::uint64_t now_;
    std::vector<std::uint32_t> sleeps_;
    Listener listener_;
};

} // namespace tarvex
