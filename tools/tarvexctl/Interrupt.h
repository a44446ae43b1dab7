#pragma once

namespace tarvexctl {

// While an InterruptScope lives, Ctrl-C (SIGINT) and SIGTERM set a flag that the long waits
// check, so that they can end the laser's work cleanly instead of leaving it half done; outside
// one, the signals end the program as usual. On Windows, Ctrl+C and Ctrl+Break do the same.
class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;
};

bool Interrupted();

} // namespace tarvexctl
