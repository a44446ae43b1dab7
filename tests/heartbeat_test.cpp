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
#include <future>
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

// Lets the current thread go on only once another thread waits for the link.
void AwaitWaiterFor(KTarvexController& controller) {
    while (controller.TransactionMutex().Waiting() == 0)
        std::this_thread::yield();
}

template <typename Record> void Answer(sim::SimReply& reply, const Record& record) {
    wire::Encode(record, reply.payload.data());
}

// One cycle of a laser with two QCLs, before the optional reads.
const Ids kTwoQclCycle = {3, 1, 54, 2, 2, 9, 9, 1009, 6, 1015, 1015, 1003, 1003};

} // namespace

TEST(Heartbeat, CycleReadsInOrderWithTheFirmwareGatedReads) {
    const std::pair<FirmwareVersion, Ids> gated[] = {{{1, 6, 1, 0, 0}, {}},
                                                     {{1, 6, 2, 0, 0}, {10}},
                                                     {{1, 7, 14, 0, 0}, {10}},
                                                     {{1, 7, 15, 0, 0}, {10, 156}},
                                                     {{2, 0, 0, 0, 0}, {10, 156}}};
    for (const auto& [firmware, optional] : gated) {
        HeartbeatRig rig(2, firmware);
        rig.controller->HeartbeatCycle();
        EXPECT_EQ(rig.Executed(), Concat(kTwoQclCycle, optional)) << VersionName(firmware);
    }
}

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

// A long operation that pauses the heartbeat between two of its exchanges (a firmware transfer
// takes the link exchange by exchange) hears nothing more from the cycle in progress.
TEST(Heartbeat, APauseMidCycleSendsNothingMore) {
    HeartbeatRig rig;
    rig.laser.SetHandler(kInfoLightCmd, [&](const sim::SimRequest&, sim::SimReply&) {
        rig.controller->SetHeartbeatPaused(true);
    });
    rig.controller->HeartbeatCycle();
    EXPECT_EQ(rig.Executed(), (Ids{kStatusMaskCmd, kInfoLightCmd}));
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

// A silent laser is lost on the sixth failed attempt: over UDP the last of the second read's
// three, over serial the sixth read, after about a minute of time-outs.
TEST(Heartbeat, SilentLaserIsLostOnTheSixthFailedAttempt) {
    for (Style style : {Style::DatagramThrow, Style::SerialThrow}) {
        const bool udp = style == Style::DatagramThrow;
        std::vector<std::pair<std::size_t, std::uint64_t>> losses;
        HeartbeatRig rig(udp ? 2 : 1, {1, 6, 1, 0, 0}, style);
        rig.InjectNext(sim::Fault::Silent, -1);
        rig.controller->SetLinkLostCallback(
            [&] { losses.emplace_back(rig.transport->Sent().size(), rig.clock.NowMs()); });
        rig.controller->HeartbeatCycle();
        ASSERT_FALSE(losses.empty());
        EXPECT_EQ(losses.front().first, 6u);
        EXPECT_EQ(rig.Sent()[5], udp ? kInfoLightCmd : kTestLaserInfoCmd);
        if (!udp) {
            EXPECT_GE(losses.front().second, 60000u);
            EXPECT_LE(losses.front().second, 70000u);
        }
    }
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

// Destroying the controller stops the thread although the clock never moves on.
TEST(HeartbeatThread, PausedHeartbeatKeepsCyclingWithoutTrafficUntilDestroyed) {
    HeartbeatRig rig;
    rig.controller->SetHeartbeatPaused(true);
    TraceCapture trace;
    rig.controller->StartHeartbeat();
    for (std::size_t cycle = 1; cycle <= 3; ++cycle) {
        rig.clock.AwaitWaitsBegun(cycle);
        rig.clock.Advance(500);
    }
    rig.clock.AwaitWaitsBegun(4);
    rig.controller.reset();
    rig.transport = nullptr;
    EXPECT_EQ(rig.clock.WaitsBegun(), 4u);
    EXPECT_TRUE(rig.laser.History().empty());
    EXPECT_EQ(trace.Count("Heartbeat Paused..."), 4u);
}

// A command that arrives while the heartbeat reads a silent laser waits for the exchange in
// progress only, not for the rest of the cycle, and goes under the normal read time-out.
TEST(HeartbeatThread, ACommandWaitsForOneHeartbeatExchangeAtMost) {
    HeartbeatRig rig;
    rig.InjectNext(sim::Fault::Silent, -1);
    KTarvexController& controller = *rig.controller;
    std::atomic<bool> issued{false};
    std::thread user;
    std::uint64_t issuedAt = 0;
    std::uint64_t startedAt = 0;
    std::uint64_t doneAt = 0;
    // The first advance is the heartbeat's first read waiting for its ack, link held.
    rig.clock.SetAdvanceListener([&](std::uint64_t) {
        if (issued.exchange(true))
            return;
        user = std::thread([&] {
            issuedAt = rig.clock.NowMs();
            // Held across the command so that the heartbeat's next reads, which move the shared
            // clock on, cannot come between the command and its end time.
            std::lock_guard link(controller.TransactionMutex());
            startedAt = rig.clock.NowMs();
            EXPECT_FALSE(controller.ReadStatusMask());
            doneAt = rig.clock.NowMs();
        });
        AwaitWaiterFor(controller);
    });
    controller.StartHeartbeat();
    rig.clock.AwaitWaitsBegun(1);
    user.join();
    controller.StopHeartbeat();
    rig.clock.SetAdvanceListener(nullptr);

    constexpr std::uint64_t kSilentReadWaitsMs = 700; // after the time-out: 200, 400 and 100
    EXPECT_LE(startedAt - issuedAt, 10000 + kSilentReadWaitsMs);
    EXPECT_EQ(doneAt - startedAt, 2000 + kSilentReadWaitsMs);
    const auto& timeouts = rig.transport->TimeoutHistory();
    ASSERT_GE(timeouts.size(), 4u);
    EXPECT_EQ(std::vector(timeouts.begin(), timeouts.begin() + 3),
              (std::vector<std::uint32_t>{10000, 2000, 10000}));
    EXPECT_EQ(timeouts.back(), 2000u);
}

// What the GUI reads mid-cycle, on its own thread, is one cycle's status, light and progress,
// never this cycle's status beside the last one's progress; and the read never waits for the
// link the heartbeat holds.
TEST(HeartbeatThread, ScanStatusNeverMixesTwoCycles) {
    HeartbeatRig rig;
    KTarvexController& controller = *rig.controller;
    // Round r: scan in progress for odd r; scan number, percentage and wavelength r.
    std::atomic<std::uint16_t> round{0};
    rig.laser.SetHandler(StatusMask::kCmd, [&](const sim::SimRequest&, sim::SimReply& reply) {
        Answer(reply, StatusMask{.mask = ++round % 2 ? status::kScanInProgress : 0u});
    });
    rig.laser.SetHandler(ScanProgress::kCmd, [&](const sim::SimRequest&, sim::SimReply& reply) {
        Answer(reply, ScanProgress{.indicator = 0, .cur_scan_num = round, .scan_percent = round});
    });
    std::vector<ScanStatus> seen;
    const auto snapshot = [&] {
        std::thread gui([&] { seen.push_back(controller.GetScanStatus()); });
        gui.join();
    };
    rig.laser.SetHandler(InfoLight::kCmd, [&](const sim::SimRequest&, sim::SimReply& reply) {
        snapshot(); // after this round's status read
        Answer(reply, InfoLight{.light_out = 1,
                                .light_valid = 1,
                                .current_ww = static_cast<float>(round.load()),
                                .unit = units::kWavenumber,
                                .cur_qcl = 1});
    });
    rig.laser.SetHandler(kTestLaserInfoCmd, [&](const sim::SimRequest&, sim::SimReply&) {
        snapshot(); // after all three
    });

    controller.StartHeartbeat();
    for (std::size_t cycle = 1; cycle <= 3; ++cycle) {
        rig.clock.AwaitWaitsBegun(cycle);
        rig.clock.Advance(500);
    }
    rig.clock.AwaitWaitsBegun(4);
    controller.StopHeartbeat();

    ASSERT_EQ(seen.size(), 4u * 2);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const ScanStatus& s = seen[i];
        EXPECT_EQ(s.scanInProgress, s.curScanNum % 2 == 1) << "snapshot " << i;
        EXPECT_EQ(s.scanPercent, s.curScanNum) << "snapshot " << i;
        EXPECT_EQ(s.currentWw, static_cast<float>(s.curScanNum)) << "snapshot " << i;
    }
    EXPECT_EQ(controller.GetScanStatus().curScanNum, 4);
}

// A status a user's command read during the cycle is newer than the cycle's own read: the
// cycle's publication must not put the older one back.
TEST(HeartbeatCycle, KeepsAReadThatAnotherThreadMadeAfterItsOwn) {
    HeartbeatRig rig;
    std::atomic<std::uint32_t> mask{0x0007};
    rig.laser.SetHandler(StatusMask::kCmd, [&](const sim::SimRequest&, sim::SimReply& reply) {
        Answer(reply, StatusMask{.mask = mask});
    });
    std::thread user;
    rig.laser.SetHandler(kTestLaserInfoCmd, [&](const sim::SimRequest&, sim::SimReply&) {
        if (user.joinable())
            return;
        mask = 0x0407; // armed since the cycle's status read
        user = std::thread([&] { EXPECT_TRUE(rig.controller->ReadStatusMask()); });
        AwaitWaiterFor(*rig.controller);
    });
    rig.controller->HeartbeatCycle();
    user.join();
    EXPECT_EQ(rig.controller->StatusBits(), 0x0407u);
    EXPECT_EQ(rig.laser.Executed(StatusMask::kCmd), 2u);
}

// The panel's lost-link exit: the callback stops the heartbeat from the heartbeat's own thread
// and has another thread destroy the controller. The heartbeat sends nothing more, and the
// destructor waits for its thread instead of leaving it running on freed memory.
TEST(HeartbeatThread, ALinkLostCallbackMayStopItAndHaveTheControllerDestroyed) {
    HeartbeatRig rig;
    rig.InjectNext(sim::Fault::Silent, -1);
    KTarvexController* controller = rig.controller.get();
    std::promise<std::size_t> lost;
    auto sentAtStop = lost.get_future();
    std::atomic<int> calls{0};
    std::atomic<bool> finished{false};
    TraceCapture trace;
    controller->SetLinkLostCallback([&] {
        if (calls++ > 0)
            return;
        controller->StopHeartbeat();
        EXPECT_FALSE(controller->HeartbeatRunning());
        lost.set_value(rig.faults.Injected(sim::Fault::Silent));
        // Still on the controller once its destruction has begun: the destructor waits.
        while (!trace.Contains("KTarvexController::~KTarvexController"))
            std::this_thread::yield();
        for (int i = 0; i < 1000; ++i)
            EXPECT_EQ(controller->Snapshot().status.mask, 0u);
        finished = true;
    });
    controller->StartHeartbeat();
    const std::size_t sent = sentAtStop.get();
    EXPECT_EQ(sent, 6u);
    rig.controller.reset();
    rig.transport = nullptr;
    EXPECT_TRUE(finished);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(rig.faults.Injected(sim::Fault::Silent), sent);
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
