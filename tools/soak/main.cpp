// tarvex-soak: the controller against tarvex-sim over UDP loopback and a pseudo-terminal for a
// given time, every link fault mixed in at a few percent and silence bursts now and then; prints
// per operation how many were attempted, succeeded and failed, their mean and worst time, the
// link-lost notifications, the values accepted wrongly, and both processes' memory.
#include "ResidentMemory.h"
#include "SimProcess.h"
#include "SoakRun.h"

#include "KTarvexController.h"
#include "transport/PacketTrace.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace tarvex;
using namespace tarvex::soak;

namespace {

// The host takes the laser's port number on another loopback address than the laser's.
constexpr std::uint32_t kHostAddress = 0x7F000001;  // 127.0.0.1
constexpr std::uint32_t kLaserAddress = 0x7F000002; // 127.0.0.2

// Connects `controller` to the laser `sim` offers; false when it does not answer.
bool Connect(KTarvexController& controller, const SimProcess& sim, bool udp) {
    if (udp) {
        const auto colon = sim.Endpoint().rfind(':');
        const auto port = static_cast<std::uint16_t>(std::stoul(sim.Endpoint().substr(colon + 1)));
        controller.SetTransportType(kTransportUdp);
        controller.SetUdpAddress(kLaserAddress, port);
        controller.SetUdpLocalAddress(kHostAddress);
    } else {
        controller.SetTransportType(kTransportSerial);
        controller.SetComPort(sim.Endpoint());
    }
    return controller.Initialize();
}

// One soak over one link; false when the simulated laser could not be started or reached.
bool SoakOver(bool udp, const std::string& simProgram, unsigned seed, const SoakOptions& options,
              const std::shared_ptr<PacketTrace>& trace, bool& wrongSeen) {
    std::vector<std::string> arguments{"--seed", std::to_string(seed)};
    if (udp) {
        arguments.insert(arguments.end(), {"--udp", "127.0.0.2:0"});
    } else {
        arguments.push_back("--pty");
    }
    SimProcess sim(simProgram, arguments);
    if (!sim.Running()) {
        std::fprintf(stderr, "tarvex-soak: %s did not start\n", simProgram.c_str());
        return false;
    }
    // The soak alone talks to the laser: no heartbeat beside it.
    ControllerProfile profile = ControllerProfile::Panel();
    profile.heartbeat = false;
    KTarvexController controller(profile);
    if (trace)
        controller.SetTransportWrapper([trace](std::unique_ptr<KWinTransport> transport) {
            return PacketTrace::Wrap(trace, std::move(transport));
        });
    SoakReport report;
    report.link = (udp ? "UDP loopback " : "pseudo-terminal ") + sim.Endpoint();
    report.hostStartKiB = ResidentKiB();
    report.simStartKiB = ResidentKiB(sim.Pid());
    if (!Connect(controller, sim, udp)) {
        std::fprintf(stderr, "tarvex-soak: no laser answered on %s\n", report.link.c_str());
        return false;
    }
    RunSoak(controller, sim, options, report);
    report.hostEndKiB = ResidentKiB();
    report.simEndKiB = ResidentKiB(sim.Pid());
    Print(report, stdout);
    std::fflush(stdout);
    for (const auto& operation : report.operations)
        wrongSeen = wrongSeen || operation.wrong > 0;
    return report.burstsLostLink == report.bursts && report.burstsRecovered == report.bursts;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Soaks the controller in the link faults of tarvex-sim and reports per operation"};
    std::string simProgram = TARVEX_SIM_PROGRAM;
    std::string link = "both";
    unsigned seconds = 60;
    unsigned burstEvery = 15;
    unsigned seed = 1;
    SoakOptions options;
    app.add_option("--sim", simProgram, "the tarvex-sim program to start")->capture_default_str();
    app.add_option("--link", link, "the links to soak, one after the other")
        ->check(CLI::IsMember({"udp", "pty", "both"}))
        ->capture_default_str();
    app.add_option("--seconds", seconds, "how long to soak each link")
        ->check(CLI::Range(1u, 86400u))
        ->capture_default_str();
    app.add_option("--rate", options.rate, "each fault's share of the exchanges")
        ->check(CLI::Range(0.0, 0.05))
        ->capture_default_str();
    app.add_option("--timeout", options.readTimeoutMs, "the host's read time-out, ms")
        ->check(CLI::Range(50u, 10000u))
        ->capture_default_str();
    app.add_option("--burst-every", burstEvery, "seconds between silence bursts")
        ->check(CLI::Range(1u, 86400u))
        ->capture_default_str();
    std::string tracePath;
    app.add_option("--trace", tracePath, "a file to write every packet to");
    app.add_option("--seed", seed, "the simulated laser's fault seed")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    // A simulated laser that ended early must not end the soak through its closed input.
    std::signal(SIGPIPE, SIG_IGN);
    options.duration = std::chrono::seconds(seconds);
    std::shared_ptr<PacketTrace> trace;
    if (!tracePath.empty()) {
        std::string error;
        trace = PacketTrace::Open(tracePath, error);
        if (!trace) {
            std::fprintf(stderr, "tarvex-soak: %s\n", error.c_str());
            return 2;
        }
    }
    options.burstEvery = std::chrono::seconds(burstEvery);

    std::printf("tarvex-soak: %u s per link, each fault at %.3f, read time-out %u ms, a burst of "
                "%d silent exchanges every %u s\n",
                seconds, options.rate, options.readTimeoutMs, options.burstPackets, burstEvery);
    bool wrongSeen = false;
    bool linkHeld = true;
    for (bool udp : {true, false}) {
        if (link != "both" && (link == "udp") != udp)
            continue;
        linkHeld = SoakOver(udp, simProgram, seed, options, trace, wrongSeen) && linkHeld;
    }
    if (wrongSeen)
        std::printf("\nFAILED: values accepted that the laser does not hold\n");
    if (!linkHeld)
        std::printf(
            "\nFAILED: a silence burst raised no link lost, or the link did not come back\n");
    return wrongSeen || !linkHeld ? 1 : 0;
}
