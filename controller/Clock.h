#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <vector>

namespace tarvex {

// Every wait of the controller goes through a Clock so that tests can run on simulated time.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary origin; never goes backwards.
    virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
    // Waits `ms` unless `stop` is requested first, which ends the wait at once. False when
    // the wait ended for the stop request.
    virtual bool WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) = 0;
};

// Real time: a steady clock and real sleeps.
class SystemClock final : public Clock {
public:
    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    bool WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) override;
    static SystemClock& Instance();
};

// Real time run `factor` times faster: what a simulated laser runs on when a script or a test
// should not wait for it as long as for a laser (arming, tuning, scans). Sleeps and waits last
// 1/factor of their length.
class ScaledClock final : public Clock {
public:
    explicit ScaledClock(double factor);

    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    bool WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) override;
    double Factor() const { return factor_; }

private:
    // `ms` of this clock in real time.
    std::chrono::nanoseconds RealTime(std::uint32_t ms) const;

    const double factor_;
    const std::chrono::steady_clock::time_point start_;
};

// Simulated time for tests: sleeping advances the time at once and records the wait. Listeners
// (the simulated laser, for one) hear of every advance, so that a model follows the host's waits.
// WaitUnlessStopped is different: it blocks until others have advanced the time by `ms` (or the
// stop comes), so that a background loop on this clock runs one round per advance the test makes
// instead of spinning.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::uint64_t startMs = 0) : now_(startMs) {}

    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    bool WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) override;
    void Advance(std::uint64_t ms);
    // The number of WaitUnlessStopped calls begun so far, and a wait until it reaches `count`:
    // a test advances the time once a background loop has gone idle, so each advance releases
    // exactly one more round.
    std::size_t WaitsBegun() const;
    void AwaitWaitsBegun(std::size_t count);

    // The waits made through SleepMs, in order.
    std::vector<std::uint32_t> Sleeps() const;
    void ClearSleeps();

    using Listener = std::function<void(std::uint64_t nowMs)>;
    void SetAdvanceListener(Listener listener);

private:
    mutable std::mutex mutex_;
    std::condition_variable_any advanced_;
    std::uint64_t now_;
    std::size_t waitsBegun_ = 0;
    std::vector<std::uint32_t> sleeps_;
    Listener listener_;
};

} // namespace tarvex
