#pragma once

#include "SimLink.h"

#include <atomic>
#include <string>
#include <thread>

namespace tarvex::sim {

// Puts the simulated laser behind a pseudo-terminal: the host opens SlavePath() like a serial
// port. A thread of its own answers the bytes the host writes.
class PtyAttachment {
public:
    // Whether this platform has pseudo-terminals; where it has none, IsOpen() is always false.
    static bool Supported();

    explicit PtyAttachment(SimLink& link, Clock& clock);
    ~PtyAttachment();
    PtyAttachment(const PtyAttachment&) = delete;
    PtyAttachment& operator=(const PtyAttachment&) = delete;

    bool IsOpen() const { return master_ >= 0; }
    const std::string& SlavePath() const { return slavePath_; }
    // Returns once every byte written to the laser so far has been answered (or after
    // `limitMs`). Tests on simulated time call it where the host would wait for real.
    void WaitIdle(int limitMs = 1000);

private:
    void Run();

    SimLink& link_;
    Clock& clock_;
    int master_ = -1;
    int slaveKeeper_ = -1; // keeps the line up while the host has the port closed
    int wakePipe_[2] = {-1, -1};
    std::string slavePath_;
    std::atomic<bool> busy_{false};
    std::thread thread_;
};

} // namespace tarvex::sim
