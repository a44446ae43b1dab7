#include "Clock.h"

#include <chrono>
#include <optional>
#include <thread>

namespace tarvex {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Waits on `cv` until `done()` holds, `stop` is requested or `deadline` (none: no limit) passes;
// returns `done()` as of the end, false when the stop request ended the wait. `lock` holds the
// mutex that guards what `done()` reads, and whoever changes it notifies `cv`.
template <typename Done>
bool WaitStoppable(std::condition_variable_any& cv, std::unique_lock<std::mutex>& lock,
                   std::stop_token stop, std::optional<SteadyClock::time_point> deadline,
                   Done done) {
#if defined(_WIN32)
    // MinGW-w64's standard library (GCC 12) can deadlock when a stop request runs a stop
    // callback while the callback is being removed, which every stop-aware condition wait does.
    // Here the wait looks at the stop request every few milliseconds instead of registering one.
    constexpr auto kStopPoll = std::chrono::milliseconds(5);
    while (!done()) {
        if (stop.stop_requested())
            return false;
        auto until = SteadyClock::now() + kStopPoll;
        if (deadline && *deadline < until)
            until = *deadline;
        cv.wait_until(lock, until);
        if (deadline && SteadyClock::now() >= *deadline)
            return done();
    }
    return true;
#else
    return deadline ? cv.wait_until(lock, stop, *deadline, done) : cv.wait(lock, stop, done);
#endif
}

} // namespace

std::uint64_t SystemClock::NowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {

// Waits `real` unless `stop` comes first; false when it did.
bool WaitUnlessStoppedFor(std::chrono::nanoseconds real, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any woken;
    std::unique_lock lock(mutex);
    WaitStoppable(woken, lock, stop, SteadyClock::now() + real,
                  [] { return false; });
    return !stop.stop_requested();
}

} // namespace

bool SystemClock::WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) {
    return WaitUnlessStoppedFor(std::chrono::milliseconds(ms), stop);
}

SystemClock& SystemClock::Instance() {
    static SystemClock clock;
    return clock;
}

ScaledClock::ScaledClock(double factor)
    : factor_(factor > 0 ? factor : 1.0), start_(std::chrono::steady_clock::now()) {}

std::uint64_t ScaledClock::NowMs() {
    const std::chrono::duration<double, std::milli> real =
        std::chrono::steady_clock::now() - start_;
    return static_cast<std::uint64_t>(real.count() * factor_);
}

std::chrono::nanoseconds ScaledClock::RealTime(std::uint32_t ms) const {
    return std::chrono::nanoseconds(static_cast<std::int64_t>(ms * 1e6 / factor_));
}

void ScaledClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(RealTime(ms));
}

bool ScaledClock::WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) {
    return WaitUnlessStoppedFor(RealTime(ms), stop);
}

std::uint64_t ManualClock::NowMs() {
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualClock::SleepMs(std::uint32_t ms) {
    {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(ms);
    }
    Advance(ms);
}

bool ManualClock::WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    const std::uint64_t until = now_ + ms;
    ++waitsBegun_;
    advanced_.notify_all();
    return WaitStoppable(advanced_, lock, stop, std::nullopt, [&] { return now_ >= until; });
}

std::size_t ManualClock::WaitsBegun() const {
    std::lock_guard lock(mutex_);
    return waitsBegun_;
}

void ManualClock::AwaitWaitsBegun(std::size_t count) {
    std::unique_lock lock(mutex_);
    advanced_.wait(lock, [&] { return waitsBegun_ >= count; });
}

void ManualClock::Advance(std::uint64_t ms) {
    Listener listener;
    std::uint64_t now;
    {
        std::lock_guard lock(mutex_);
        now_ += ms;
        now = now_;
        listener = listener_;
    }
    advanced_.notify_all();
    if (listener)
        listener(now);
}

std::vector<std::uint32_t> ManualClock::Sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

void ManualClock::ClearSleeps() {
    std::lock_guard lock(mutex_);
    sleeps_.clear();
}

void ManualClock::SetAdvanceListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

} // namespace tarvex
