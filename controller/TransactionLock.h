#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tarvex {

// The controller's transaction lock: recursive, and served in the order the threads asked for
// it. First come, first served is what bounds a user's wait behind the heartbeat: a command that
// arrives during one heartbeat exchange goes before the heartbeat's next one, which a plain mutex
// would let the heartbeat take again before the waiting thread has even woken.
//
// When an outermost hold ends, the releasing thread runs the release hook, without the lock, so
// that what happened under the lock can be reported once the link is free.
class TransactionLock {
public:
    explicit TransactionLock(std::function<void()> releaseHook = {})
        : releaseHook_(std::move(releaseHook)) {}
    TransactionLock(const TransactionLock&) = delete;
    TransactionLock& operator=(const TransactionLock&) = delete;

    void lock();
    bool try_lock();
    void unlock();

    // The number of threads waiting for the lock at this moment.
    std::size_t Waiting() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable turn_;
    std::thread::id owner_;
    std::size_t depth_ = 0;
    std::uint64_t nextTicket_ = 0; // the ticket the next thread to ask receives
    std::uint64_t serving_ = 0;    // the ticket whose turn it is
    const std::function<void()> releaseHook_;
};

} // namespace tarvex
