// Cost of a 1 MiB firmware update over a pseudo-terminal and of one heartbeat cycle of a
// four-QCL laser, each beside a reference measured in the same run on the same channel with no
// protocol code at either end: for the update, the raw byte rate of the channel (the image
// streamed one way) and the same frame-and-reply pattern; for the heartbeat, raw round trips of
// the same byte counts as its exchanges.
#include "BenchSupport.h"
#include "Clock.h"
#include "FaultInjector.h"
#include "InProcessTransport.h"
#include "KTarvexController.h"
#include "PtyAttachment.h"
#include "SimLaser.h"
#include "SimLink.h"
#include "files/FirmwareUpdater.h"
#include "transport/KWinComPort.h"
#include "transport/SerialDevice.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace tarvex;
using bench::ScriptedPtyPeer;
using bench::Step;

namespace {

constexpr std::size_t kImageBytes = 1u << 20;
constexpr std::size_t kFrameData = 160;
constexpr std::size_t kFrameOverhead = 7; // start, address, length, check byte
constexpr std::size_t kFrameReply = 2;
constexpr SerialReadLimits kReadLimits{2000, 2000, 0};

// The exchanges of one heartbeat cycle of a four-QCL laser with firmware from 1.7.15 on.
std::vector<Step> HeartbeatSteps() {
    std::vector<std::uint16_t> ids = {3, 1, 54};
    for (int perQcl : {2, 9})
        ids.insert(ids.end(), 4, static_cast<std::uint16_t>(perQcl));
    ids.insert(ids.end(), {1009, 6});
    for (int perQcl : {1015, 1003})
        ids.insert(ids.end(), 4, static_cast<std::uint16_t>(perQcl));
    ids.insert(ids.end(), {10, 156});
    std::vector<Step> steps;
    for (std::uint16_t id : ids)
        steps.push_back({KTarvexCommand::CommandLength(id) + kCrcSize,
                         kAckPacketSize + KTarvexCommand::ResponseLength(id) + kCrcSize});
    return steps;
}

std::string ImageText() {
    std::string text;
    text.reserve(kImageBytes / 16 * 34);
    char digits[3];
    for (std::size_t i = 0; i < kImageBytes; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>((i * 131 + 7) & 0xFF));
        text += digits;
        if (i % 16 == 15)
            text += "\r\n";
    }
    return text;
}

const FirmwareUpdateFile& OneMebibyteFile() {
    static const FirmwareUpdateFile file = [] {
        const std::string text = ImageText();
        std::string error;
        return *FirmwareUpdateFile::Parse(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
    }();
    return file;
}

// Runs `script` from the host's side once: write each step's input, read its reply.
bool RunRawScript(SerialDevice& device, const std::vector<Step>& script) {
    static std::vector<std::uint8_t> out(kImageBytes);
    static std::vector<std::uint8_t> in(2048);
    for (const Step& step : script) {
        device.Write(out.data(), step.in, 0);
        if (device.Read(in.data(), step.out, kReadLimits) != step.out)
            return false;
    }
    return true;
}

void RawOverPty(benchmark::State& state, const std::vector<Step>& script) {
    ScriptedPtyPeer peer(script);
    auto device = OpenSerialDevice(peer.Path());
    if (!device) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    for (auto _ : state)
        if (!RunRawScript(*device, script))
            state.SkipWithError("raw read timed out");
}

struct PtyLaser {
    sim::SimLaser model{SystemClock::Instance()};
    sim::FaultInjector faults;
    sim::SimLink link{model, faults};
    sim::PtyAttachment pty{link, SystemClock::Instance()};
    KTarvexController controller{ControllerProfile::Panel()};

    bool Connect() {
        auto port = std::make_unique<KWinComPort>();
        if (!pty.IsOpen() || port->Open(pty.SlavePath(), 921600, 'N', 8, 1, true, true) != 0)
            return false;
        port->SetTimeouts(2000, 0);
        controller.AttachTransport(std::move(port));
        controller.UpdateCache([](LaserCache& c) {
            c.admin.num_qcls = 4;
            c.firmware = FirmwareVersion{2, 1, 4, 3, 0};
        });
        model.Modify([](sim::SimState& s) { s.config.firmwareUpdate.eraseMs = 0; });
        return true;
    }
};

// --- Firmware update ------------------------------------------------------------------------

void UpdatePty(benchmark::State& state) {
    const FirmwareUpdateFile& file = OneMebibyteFile();
    PtyLaser laser;
    if (!laser.Connect()) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    FirmwareUpdater updater(laser.controller);
    for (auto _ : state)
        if (!updater.Run(file, update_type::kControllerProduction).Succeeded())
            state.SkipWithError("update failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}

// The image streamed one way, acknowledged once: the channel's byte rate.
void UpdateRawStream(benchmark::State& state) {
    RawOverPty(state, {{kImageBytes, 1}});
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}

// The update's frames and replies, byte for byte, without the protocol.
void UpdateRawFrames(benchmark::State& state) {
    std::vector<Step> frames(kImageBytes / kFrameData, {kFrameData + kFrameOverhead, kFrameReply});
    if (kImageBytes % kFrameData != 0)
        frames.push_back({kImageBytes % kFrameData + kFrameOverhead, kFrameReply});
    frames.push_back({kFrameOverhead, 1}); // the end frame
    RawOverPty(state, frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}

// --- Heartbeat cycle ------------------------------------------------------------------------

void HeartbeatInProcess(benchmark::State& state) {
    ManualClock clock;
    sim::SimLaser model(clock);
    sim::FaultInjector faults;
    sim::SimLink link(model, faults);
    KTarvexController controller(ControllerProfile::Panel(), &clock);
    controller.AttachTransport(std::make_unique<sim::InProcessTransport>(link, clock));
    controller.UpdateCache([](LaserCache& c) {
        c.admin.num_qcls = 4;
        c.firmware = FirmwareVersion{2, 1, 4, 3, 0};
    });
    controller.HeartbeatCycle();
    if (model.History().size() != HeartbeatSteps().size()) {
        state.SkipWithError("the cycle's exchanges differ from the reference's");
        return;
    }
    for (auto _ : state)
        controller.HeartbeatCycle();
}

void HeartbeatRawInProcess(benchmark::State& state) {
    bench::RawQueueRoundTrips(state, HeartbeatSteps());
}

void HeartbeatPty(benchmark::State& state) {
    PtyLaser laser;
    if (!laser.Connect()) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    for (auto _ : state)
        laser.controller.HeartbeatCycle();
    if (laser.controller.ConsecutiveFailures() != 0)
        state.SkipWithError("a heartbeat read failed");
}

void HeartbeatRawPty(benchmark::State& state) {
    RawOverPty(state, HeartbeatSteps());
}

} // namespace

BENCHMARK(UpdatePty)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(UpdateRawStream)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(UpdateRawFrames)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(HeartbeatInProcess);
BENCHMARK(HeartbeatRawInProcess);
BENCHMARK(HeartbeatPty)->UseRealTime();
BENCHMARK(HeartbeatRawPty)->UseRealTime();

int main(int argc, char** argv) {
    return bench::RunWithRatios(
        argc, argv, "Protocol time against the raw reference on the same channel:",
        {{"1 MiB update, pty, vs byte rate", "UpdatePty", "UpdateRawStream"},
         {"1 MiB update, pty, vs its frames", "UpdatePty", "UpdateRawFrames"},
         {"heartbeat cycle, in process", "HeartbeatInProcess", "HeartbeatRawInProcess"},
         {"heartbeat cycle, pty", "HeartbeatPty", "HeartbeatRawPty"}});
}
