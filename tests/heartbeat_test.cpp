// The heartbeat: what one cycle asks the laser, in which order and under which firmware, how a
// pause silences it, how a silent laser becomes a lost link, and how its thread starts, runs one
// cycle per period of simulated time and stops without hanging.
#include "codec/ByteOrder.h"
#include "support/CommandIds.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace tarvex;
using namespace tarvex::test;
using Style = sim::InProcessTransport::Style;

namespace {

constexpr std::uint16_t kStatusMaskCmd = 3;
constexpr std::uint16_t kInfoLightCmd = 1;
constexpr std::uint16_t kTestLaserInfoCmd = 1009;

struct HeartbeatRig : SimRig {
    explicit HeartbeatRig(std::uint8_t qcls = 2, FirmwareVersion firmware = {1, 6, 1, 0, 0},
                          Style style = Style::SerialThrow)
        : SimRig(ControllerProfile::Panel(), style) {
        SetInstalledQcls(qcls);
        controller->UpdateCache([&](LaserCache& c) { c.firmware = firmware; });
    }
    Ids Executed() const { return ExecutedIds(laser); }
    // The command id of each packet the host sent.
    Ids Sent() {
        Ids ids;
        for (const auto& packet : transport->Sent())
            ids.push_back(be::GetU16(packet.data() + 1));
        return ids;
    }
};

// One cycle of a laser with two QCLs, before the optional reads.
const Ids kTwoQclCycle = {3, 1, 54, 2, 2, 9, 9, 1009, 6, 1015, 1015, 1003, 1003};

} // namespace

struct FirmwareCycle {
    FirmwareVersion firmware;
    Ids optional;
};

void PrintTo(const FirmwareCycle& param, std::ostream* os) {
    *os << VersionName(param.firmware);
}

class HeartbeatFirmware : public ::testing::TestWithParam<FirmwareCycle> {};

TEST_P(HeartbeatFirmware, CycleReadsInOrderWithTheGatedReads) {
    HeartbeatRig rig(2, GetParam().firmware);
    rig.controller->HeartbeatCycle();
    EXPECT_EQ(rig.Executed(), Concat(kTwoQclCycle, GetParam().optional));
}

INSTANTIATE_TEST_SUITE_P(Versions, HeartbeatFirmware,
                         ::testing::Values(FirmwareCycle{{1, 6, 1, 0, 0}, {}},
                                           FirmwareCycle{{1, 6, 2, 0, 0}, {10}},
                                           FirmwareCycle{{1, 7, 14, 0, 0}, {10}},
                                           FirmwareCycle{{1, 7, 15, 0, 0}, {10, 156}},
                                           FirmwareCycle{{2, 0, 0, 0, 0}, {10, 156}}),
                         [](const auto& param) { return VersionName(param.param.firmware); });

TEST(Heartbeat, CycleRaisesTheReadTimeoutByTransport) {
    HeartbeatRig serial;
    TraceCapture trace;
    serial.controller->HeartbeatCycle();
    EXPECT_EQ(serial.transport->TimeoutHistory(), (std::vector<std::uint32_t>{10000, 2000}));
    EXPECT_TRUE(trace.Contains("Heartbeat Alive..."));

    HeartbeatRig udp(2, {1, 6, 1, 0, 0}, Style::DatagramThrow);
    udp.controller->HeartbeatCycle();
    EXPECT_EQ(udp.transport->TimeoutHistory(), (std::vector<std::uint32_t>{2000, 2000}));
}

TEST(Heartbeat, EthernetTestModeReadsOnlyTheTestLaserInfo) {
    HeartbeatRig rig(4, {2, 0, 0, 0, 0});
    rig.controller->SetOperatingMode(operating_mode::kEthernetTest);
    rig.controller->HeartbeatCycle();
    EXPECT_EQ(rig.Sent(), Ids{kTestLaserInfoCmd});
}

TEST(Heartbeat, PausedCycleSendsNothingAndTheNextReadsAgain) {
    HeartbeatRig rig;
    rig.controller->SetHeartbeatPaused(true);
    TraceCapture trace;
    rig.controller->HeartbeatCycle();
    EXPECT_TRUE(rig.transport->Sent().empty());
    EXPECT_TRUE(rig.transport->TimeoutHistory().empty());
    EXPECT_TRUE(trace.Contains("Heartbeat Paused..."));
    EXPECT_FALSE(trace.Contains("Heartbeat Alive..."));

    rig.controller->SetHeartbeatPaused(false);
    rig.controller->HeartbeatCycle();
    EXPECT_EQ(rig.Executed(), kTwoQclCycle);
}

TEST(Heartbeat, FailedReadIsSkippedAndKeepsItsCache) {
    HeartbeatRig rig;
    rig.laser.SetStatusMask(0x1407);
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    rig.laser.SetStatusMask(0x0001);
    rig.laser.ClearHistory();
    rig.InjectFor(kStatusMaskCmd, sim::Fault::Silent);
    rig.controller->HeartbeatCycle();
    EXPECT_EQ(rig.Executed(), Ids(kTwoQclCycle.begin() + 1, kTwoQclCycle.end()));
    EXPECT_EQ(rig.controller->StatusBits(), 0x1407u);
}

TEST(Heartbeat, SilentLaserOverUdpLosesTheLinkInTheSecondRead) {
    HeartbeatRig rig(2, {1, 6, 1, 0, 0}, Style::DatagramThrow);
    rig.InjectNext(sim::Fault::Silent, -1);
    std::vector<std::size_t> sentAtLoss;
    rig.controller->SetLinkLostCallback(
        [&] { sentAtLoss.push_back(rig.transport->Sent().size()); });
    rig.controller->HeartbeatCycle();
    ASSERT_FALSE(sentAtLoss.empty());
    EXPECT_EQ(sentAtLoss.front(), 6u); // three attempts of each of the first two reads
    EXPECT_EQ(rig.Sent()[5], kInfoLightCmd);
}

TEST(Heartbeat, SilentLaserOverSerialLosesTheLinkOnTheSixthReadAfterAboutAMinute) {
    HeartbeatRig rig(1);
    rig.InjectNext(sim::Fault::Silent, -1);
    std::vector<std::pair<std::size_t, std::uint64_t>> losses;
    rig.controller->SetLinkLostCallback(
        [&] { losses.emplace_back(rig.transport->Sent().size(), rig.clock.NowMs()); });
    rig.controller->HeartbeatCycle();
    ASSERT_FALSE(losses.empty());
    EXPECT_EQ(losses.front().first, 6u);
    EXPECT_EQ(rig.Sent()[5], kTestLaserInfoCmd);
    EXPECT_GE(losses.front().second, 60000u);
    EXPECT_LE(losses.front().second, 70000u);
}

TEST(HeartbeatThread, RunsOneCyclePerPeriodAndStopsAtOnce) {
    HeartbeatRig rig;
    TraceCapture trace;
    EXPECT_FALSE(rig.controller->HeartbeatRunning());
    rig.controller->StartHeartbeat();
    rig.controller->StartHeartbeat(); // a second start changes nothing
    EXPECT_TRUE(rig.controller->HeartbeatRunning());

    rig.clock.AwaitWaitsBegun(1);
    EXPECT_EQ(rig.laser.Executed(kStatusMaskCmd), 1u);
    rig.clock.Advance(499);
    rig.clock.Advance(1);
    rig.clock.AwaitWaitsBegun(2);
    EXPECT_EQ(rig.laser.Executed(kStatusMaskCmd), 2u);

    // The clock stands still: only the stop request can end the wait.
    rig.controller->StopHeartbeat();
    EXPECT_FALSE(rig.controller->HeartbeatRunning());
    EXPECT_EQ(rig.laser.Executed(kStatusMaskCmd), 2u);
    EXPECT_EQ(rig.clock.WaitsBegun(), 2u);
    EXPECT_EQ(trace.Count("KTarvexController::run"), 1u);
    EXPECT_EQ(trace.Count("End run()\n"), 1u);
}

TEST(HeartbeatThread, DestroyingTheControllerStopsIt) {
    HeartbeatRig rig;
    rig.controller->StartHeartbeat();
    rig.clock.AwaitWaitsBegun(1);
    rig.controller.reset(); // returns although the clock never moves on
    rig.transport = nullptr;
    EXPECT_EQ(rig.clock.WaitsBegun(), 1u);
}

TEST(HeartbeatThread, PausedHeartbeatKeepsCyclingWithoutTraffic) {
    HeartbeatRig rig;
    rig.controller->SetHeartbeatPaused(true);
    TraceCapture trace;
    rig.controller->StartHeartbeat();
    for (std::size_t cycle = 1; cycle <= 3; ++cycle) {
        rig.clock.AwaitWaitsBegun(cycle);
        rig.clock.Advance(500);
    }
    rig.clock.AwaitWaitsBegun(4);
    rig.controller->StopHeartbeat();
    EXPECT_TRUE(rig.laser.History().empty());
    EXPECT_EQ(trace.Count("Heartbeat Paused..."), 4u);
}

TEST(HeartbeatWait, StopRequestEndsARealWaitAtOnce) {
    std::stop_source stop;
    const auto start = std::chrono::steady_clock::now();
    std::thread requester([&] { stop.request_stop(); });
    EXPECT_FALSE(SystemClock::Instance().WaitUnlessStopped(60000, stop.get_token()));
    requester.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(SystemClock::Instance().WaitUnlessStopped(0, std::stop_source().get_token()));
}

TEST(HeartbeatWait, ManualWaitEndsWhenOthersHaveAdvancedTheTime) {
    ManualClock clock;
    std::stop_source stop;
    std::atomic<int> result{-1};
    std::thread waiter([&] { result = clock.WaitUnlessStopped(500, stop.get_token()) ? 1 : 0; });
    clock.AwaitWaitsBegun(1);
    clock.Advance(499);
    EXPECT_EQ(result.load(), -1);
    clock.Advance(1);
    waiter.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_TRUE(clock.Sleeps().empty());

    std::thread stopped([&] { result = clock.WaitUnlessStopped(500, stop.get_token()) ? 1 : 0; });
    clock.AwaitWaitsBegun(2);
    stop.request_stop();
    stopped.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(clock.NowMs(), 500u);
}
