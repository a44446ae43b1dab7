#include "Clock.h"

#include <chrono>
#include <thread>

namespace tarvex {

std::uint64_t SystemClock::NowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SystemClock::WaitUnlessStopped(std::uint32_t ms, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any woken;
    std::unique_lock lock(mutex);
    woken.wait_for(lock, stop, std::chrono::milliseconds(ms), [] { return false; });
    return !stop.stop_requested();
}

SystemClock& SystemClock::Instance() {
    static SystemClock clock;
    return clock;
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
    return advanced_.wait(lock, stop, [&] { return now_ >= until; });
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
