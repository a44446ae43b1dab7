#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tarvex::soak {

// tarvex-sim run as a child process: started with the given arguments, steered through its
// standard input, stopped with "quit".
class SimProcess {
public:
    SimProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // What it printed after "udp: " or "pty: " when it started (the endpoint, the device).
    const std::string& Endpoint() const { return endpoint_; }
    // One control line ("fault SPEC", "clear-faults").
    void Send(const std::string& line);
    // Ends it ("quit", then a signal if it does not go) and waits for it.
    void Stop();

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1; // kept open, so that what it prints later does not end it
    std::string endpoint_;
};

} // namespace tarvex::soak
