// The status exchange over a pseudo-terminal beside the raw round trip of the same bytes on it
// (POSIX only; link_bench.cpp has the other channels).
#include "BenchSupport.h"
#include "LinkBench.h"
#include "PtyAttachment.h"
#include "transport/KWinComPort.h"
#include "transport/SerialDevice.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarvex;
using bench::ExchangeStatusMask;
using bench::kCommandBytes;
using bench::kReplyBytes;
using Laser = bench::RealTimeLaser;

namespace {

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

} // namespace

BENCHMARK(PtyProtocol)->UseRealTime();
BENCHMARK(PtyRaw)->UseRealTime();
