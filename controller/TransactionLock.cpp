#include "TransactionLock.h"

namespace tarvex {

void TransactionLock::lock() {
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(mutex_);
    if (owner_ == self) {
        ++depth_;
        return;
    }
    const std::uint64_t ticket = nextTicket_++;
    turn_.wait(lock, [&] { return serving_ == ticket; });
    owner_ = self;
    depth_ = 1;
}

bool TransactionLock::try_lock() {
    const auto self = std::this_thread::get_id();
    std::lock_guard lock(mutex_);
    if (owner_ == self) {
        ++depth_;
        return true;
    }
    // Free, and nobody queued for it.
    if (owner_ != std::thread::id{} || serving_ != nextTicket_)
        return false;
    ++nextTicket_;
    owner_ = self;
    depth_ = 1;
    return true;
}

void TransactionLock::unlock() {
    {
        std::lock_guard lock(mutex_);
        if (--depth_ > 0)
            return;
        owner_ = std::thread::id{};
        ++serving_;
    }
    turn_.notify_all();
    if (releaseHook_)
        releaseHook_();
}

std::size_t TransactionLock::Waiting() const {
    std::lock_guard lock(mutex_);
    const std::uint64_t holders = owner_ == std::thread::id{} ? 0 : 1;
    return static_cast<std::size_t>(nextTicket_ - serving_ - holders);
}

} // namespace tarvex
