#pragma once

#include "Clock.h"

#include <chrono>

namespace tarvexctl {

// Time that runs `factor` times faster than real time: the built-in simulated laser and every
// wait of the tool move on together, so that tests see a laser arm, tune and scan in a fraction
// of the real time.
class ScaledClock final : public tarvex::Clock {
public:
    explicit ScaledClock(double factor);

    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    bool WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) override;

private:
    std::chrono::microseconds RealTime(std::uint32_t ms) const;

    double factor_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace tarvexctl
