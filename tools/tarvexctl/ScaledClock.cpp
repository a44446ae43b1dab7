#include "ScaledClock.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tarvexctl {

ScaledClock::ScaledClock(double factor) : factor_(factor > 0 ? factor : 1) {}

std::chrono::microseconds ScaledClock::RealTime(std::uint32_t ms) const {
    return std::chrono::microseconds(static_cast<std::int64_t>(ms * 1000.0 / factor_));
}

std::uint64_t ScaledClock::NowMs() {
    const auto real = std::chrono::steady_clock::now() - start_;
    return static_cast<std::uint64_t>(std::chrono::duration<double, std::milli>(real).count() *
                                      factor_);
}

void ScaledClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(RealTime(ms));
}

bool ScaledClock::WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    return !wake.wait_for(lock, stop, RealTime(ms), [] { return false; }) && !stop.stop_requested();
}

} // namespace tarvexctl
