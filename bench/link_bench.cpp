// Cost of one ReadStatusMask exchange (20-byte command, 12-byte ack, 20-byte response) on each
// channel, beside a raw round trip of the same byte counts on the same channel with no protocol
// code at either end. The ratio of the two is the host's protocol overhead.
#include "BenchSupport.h"
#include "Clock.h"
#include "FaultInjector.h"
#include "InProcessTransport.h"
#include "KTarvexController.h"
#include "PtyAttachment.h"
#include "SimLaser.h"
#include "SimLink.h"
#include "UdpAttachment.h"
#include "transport/KWinComPort.h"
#include "transport/KWinUDP.h"
#include "transport/SerialDevice.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace tarvex;

namespace {

constexpr std::uint16_t kStatusMask = 3;
constexpr std::size_t kCommandBytes = 20;
constexpr std::size_t kReplyBytes = 12 + 20;
constexpr std::uint32_t kLaserAddress = 0x7F000002;
constexpr std::uint32_t kHostAddress = 0x7F000001;

struct Laser {
    sim::SimLaser model{SystemClock::Instance()};
    sim::FaultInjector faults;
    sim::SimLink link{model, faults};
};

bool ExchangeStatusMask(KTarvexController& controller) {
    KTarvexCommand command(kStatusMask, kRead), response;
    return controller.Exchange(command, response);
}

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

// --- Pseudo-terminal ------------------------------------------------------------------------

void PtyProtocol(benchmark::State& state) {
    Laser laser;
    sim::PtyAttachment pty(laser.link, SystemClock::Instance());
    KTarvexController controller(ControllerProfile::Sdk());
    auto port = std::make_unique<KWinComPort>();
    if (port->Open(pty.SlavePath(), 921600, 'N', 8, 1, true, true) != 0) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    port->SetTimeouts(2000, 0);
    controller.AttachTransport(std::move(port));
    for (auto _ : state)
        if (!ExchangeStatusMask(controller))
            state.SkipWithError("exchange failed");
}

void PtyRaw(benchmark::State& state) {
    // A peer that answers every 20 bytes with 32, knowing nothing of packets.
    bench::ScriptedPtyPeer peer({{kCommandBytes, kReplyBytes}});
    auto device = OpenSerialDevice(peer.Path());
    if (!device) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    std::uint8_t command[kCommandBytes] = {};
    std::uint8_t reply[kReplyBytes];
    for (auto _ : state) {
        device->Write(command, sizeof command, 0);
        if (device->Read(reply, 12, {2000, 2000, 0}) != 12 ||
            device->Read(reply + 12, 20, {2000, 2000, 0}) != 20)
            state.SkipWithError("raw read timed out");
    }
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
BENCHMARK(PtyProtocol)->UseRealTime();
BENCHMARK(PtyRaw)->UseRealTime();
BENCHMARK(UdpProtocol)->UseRealTime();
BENCHMARK(UdpRaw)->UseRealTime();

int main(int argc, char** argv) {
    return bench::RunWithRatios(argc, argv,
                                "Exchange time against the raw round trip of the same bytes:",
                                {{"in process", "InProcessProtocol", "InProcessRaw"},
                                 {"pseudo-terminal", "PtyProtocol", "PtyRaw"},
                                 {"UDP loopback", "UdpProtocol", "UdpRaw"}});
}
