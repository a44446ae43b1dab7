// Cost of one ReadStatusMask exchange (20-byte command, 12-byte ack, 20-byte response) on each
// channel, beside a raw round trip of the same byte counts on the same channel with no protocol
// code at either end. The ratio of the two is the host's protocol overhead. The pseudo-terminal's
// pair is in link_bench_pty.cpp, where there are pseudo-terminals.
#include "BenchSupport.h"
#include "Clock.h"
#include "FaultInjector.h"
#include "InProcessTransport.h"
#include "KTarvexController.h"
#include "LinkBench.h"
#include "SimLaser.h"
#include "SimLink.h"
#include "UdpAttachment.h"
#include "transport/KWinUDP.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace tarvex;

namespace {

using bench::ExchangeStatusMask;
using bench::kCommandBytes;
using bench::kReplyBytes;
using Laser = bench::RealTimeLaser;

constexpr std::uint32_t kLaserAddress = 0x7F000002;
constexpr std::uint32_t kHostAddress = 0x7F000001;

// --- In process ---------------------------------------------------------------------------

void InProcessProtocol(benchmark::State& state) {
    ManualClock clock;
    sim::SimLaser model(clock);
    sim::FaultInjector faults;
    sim::SimLink link(model, faults);
    KTarvexController controller(ControllerProfile::Sdk(), &clock);
    controller.AttachTransport(std::make_unique<sim::InProcessTransport>(link, clock));
    for (auto _ : state)
        if (!ExchangeStatusMask(controller))
            state.SkipWithError("exchange failed");
}

void InProcessRaw(benchmark::State& state) {
    bench::RawQueueRoundTrips(state, {{kCommandBytes, kReplyBytes}});
}

// --- UDP loopback ---------------------------------------------------------------------------

void UdpProtocol(benchmark::State& state) {
    Laser laser;
    sim::UdpAttachment endpoint(laser.link, SystemClock::Instance(), kLaserAddress, 0);
    KTarvexController controller(ControllerProfile::Sdk());
    controller.SetTransportType(kTransportUdp);
    auto socket = std::make_unique<KWinUDP>();
    if (!endpoint.IsOpen() || socket->Open(kLaserAddress, endpoint.Port(), kHostAddress) != 0) {
        state.SkipWithError("cannot bind the loopback ports");
        return;
    }
    socket->SetTimeouts(2000, 0);
    controller.AttachTransport(std::move(socket));
    for (auto _ : state)
        if (!ExchangeStatusMask(controller))
            state.SkipWithError("exchange failed");
}

void UdpRaw(benchmark::State& state) {
    auto peer = OpenUdpSocket(kLaserAddress, 0);
    auto host = peer ? OpenUdpSocket(kHostAddress, peer->LocalPort()) : nullptr;
    if (!host) {
        state.SkipWithError("cannot bind the loopback ports");
        return;
    }
    std::atomic<bool> stop{false};
    std::thread responder([&] {
        std::uint8_t buffer[64];
        std::uint8_t ack[12] = {}, response[20] = {};
        while (!stop) {
            UdpSocket::Datagram datagram;
            if (!peer->Receive(buffer, sizeof buffer, 20, datagram))
                continue;
            peer->SendTo(datagram.fromAddress, datagram.fromPort, ack, sizeof ack);
            peer->SendTo(datagram.fromAddress, datagram.fromPort, response, sizeof response);
        }
    });
    std::uint8_t command[kCommandBytes] = {};
    std::uint8_t reply[32];
    for (auto _ : state) {
        UdpSocket::Datagram datagram;
        host->SendTo(kLaserAddress, peer->LocalPort(), command, sizeof command);
        if (!host->Receive(reply, 12, 2000, datagram) || !host->Receive(reply, 20, 2000, datagram))
            state.SkipWithError("raw read timed out");
    }
    stop = true;
    responder.join();
}

} // namespace

BENCHMARK(InProcessProtocol);
BENCHMARK(InProcessRaw);
BENCHMARK(UdpProtocol)->UseRealTime();
BENCHMARK(UdpRaw)->UseRealTime();

int main(int argc, char** argv) {
    return bench::RunWithRatios(argc, argv,
                                "Exchange time against the raw round trip of the same bytes:",
                                {{"in process", "InProcessProtocol", "InProcessRaw"},
                                 {"pseudo-terminal", "PtyProtocol", "PtyRaw"},
                                 {"UDP loopback", "UdpProtocol", "UdpRaw"}});
}
