#pragma once

#include "Json.h"
#include "KTarvexController.h"
#include "control/Refusal.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>

namespace tarvex::sim {
struct EmbeddedLaser;
}

namespace tarvexctl {

// The environment variable that holds the connection options used when the command line gives
// none, written as on the command line ("--udp 10.10.10.10", "--sim").
inline constexpr const char* kConnectionVariable = "TARVEXCTL_CONNECTION";
// Testing: the built-in simulated laser (and the tool's waits with it) run this many times
// faster than real time.
inline constexpr const char* kSimSpeedVariable = "TARVEXCTL_SIM_SPEED";

// How to reach the laser; with none of them, the serial ports are searched as the panel does.
struct ConnectionOptions {
    std::string port;
    std::string baud;
    std::string udp;
    std::string bind;
    bool ftdi = false; // --ftdi given, with or without an index
    std::string ftdiIndex;
    bool sim = false;
    std::string simProfile;
    CLI::Option* ftdiOption = nullptr; // until Settle

    bool Any() const;
    // Takes from the parser what only it knows; call after parsing, before it goes away.
    void Settle();
};

// --port, --baud, --udp, --bind, --ftdi, --sim and --sim-profile.
void AddConnectionOptions(CLI::App& app, ConnectionOptions& options);

// The clock the built-in simulated laser, and the tool's waits for it, run on: real time, or
// faster as the testing variable asks. A laser on a real link is always waited for in real time.
tarvex::Clock& SimulationClock();

// A connected laser: its controller, what it was reached through, and the rules for telling a
// refusal from a fault from a lost link after an operation failed.
class Session {
public:
    // Connects as `options` say (the variable's options when they say nothing); every packet
    // goes to `trace` when it names a file, after a note of `commandLine`. Throws Failure when
    // no laser answers.
    static std::unique_ptr<Session> Open(const ConnectionOptions& options, const std::string& trace,
                                         const std::string& commandLine);
    ~Session();

    tarvex::KTarvexController& Controller() { return *controller_; }
    tarvex::Clock& GetClock() { return clock_; }
    // How the laser was reached ("serial /dev/ttyUSB0 at 921600 baud").
    const std::string& Link() const { return link_; }
    const Json& LinkJson() const { return linkJson_; }

    // After an operation on the laser failed: a laser that still answers refused it (or
    // reports a fault), one that does not was lost. Throws the Failure that says which.
    [[noreturn]] void Fail(const std::string& operation);
    void Require(bool ok, const std::string& operation) {
        if (!ok)
            Fail(operation);
    }
    // Throws Failure (refused, with the reason) unless `refusal` is None.
    void Check(tarvex::control::Refusal refusal, const std::string& operation);

private:
    explicit Session(tarvex::Clock& clock);
    void Connect(const ConnectionOptions& options);

    tarvex::Clock& clock_;
    std::unique_ptr<tarvex::sim::EmbeddedLaser> simulated_;
    std::unique_ptr<tarvex::KTarvexController> controller_;
    std::string link_;
    Json linkJson_ = Json::Object();
};

} // namespace tarvexctl
