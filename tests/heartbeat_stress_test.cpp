// The heartbeat thread against the simulated laser while other threads send commands, run the
// long configuration export and read every accessor. Meant for ThreadSanitizer: beyond what it
// reports, the replies carry invariants (one scan progress reply has equal scan number and
// percentage, one light reply a wavelength that belongs to its unit) that a torn copy of the
// cache would break, and a deadlock would stop the test.
#include "support/SimRig.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace tarvex;
using namespace tarvex::test;

namespace {

constexpr std::size_t kCycles = 400;

bool LightConsistent(float ww, std::uint8_t unit) {
    return (unit == 0 && ww == 0.0f) || (unit == units::kMicrons && ww == 5.0f) ||
           (unit == units::kWavenumber && ww == 2000.0f);
}

// Replies whose fields must be seen together.
void StageConsistentReplies(sim::SimLaser& laser) {
    auto progressReplies = std::make_shared<std::uint16_t>(0);
    laser.SetHandler(ScanProgress::kCmd,
                     [progressReplies](const sim::SimRequest&, sim::SimReply& reply) {
                         const std::uint16_t n = ++*progressReplies;
                         ScanProgress progress;
                         progress.indicator = static_cast<std::uint8_t>(n & 0x0F);
                         progress.cur_scan_num = n;
                         progress.scan_percent = n;
                         wire::Encode(progress, reply.payload.data());
                     });
    auto lightReplies = std::make_shared<unsigned>(0);
    laser.SetHandler(InfoLight::kCmd, [lightReplies](const sim::SimRequest&, sim::SimReply& reply) {
        const bool microns = (++*lightReplies % 2) == 0;
        InfoLight light;
        light.light_valid = 1;
        light.unit = microns ? units::kMicrons : units::kWavenumber;
        light.current_ww = microns ? 5.0f : 2000.0f;
        light.cur_qcl = microns ? 1 : 2;
        wire::Encode(light, reply.payload.data());
    });
}

} // namespace

TEST(HeartbeatStress, CommandsAndReadersRunBesideTheHeartbeatWithoutTearing) {
    SimRig rig;
    rig.controller->UpdateCache([](LaserCache& c) {
        c.admin.num_qcls = 4;
        c.firmware = FirmwareVersion{2, 0, 0, 0, 0};
    });
    StageConsistentReplies(rig.laser);
    TempDir dir;

    std::atomic<bool> done{false};
    std::atomic<std::size_t> torn{0};
    std::atomic<std::size_t> reads{0};
    std::atomic<std::size_t> commandFailures{0};
    KTarvexController& controller = *rig.controller;

    std::vector<std::thread> threads;
    // Callers' commands, falling between heartbeat cycles.
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t i = 0; !done; ++i) {
                const bool ok = controller.ReadScanProgress() && controller.ReadInfoLight() &&
                                controller.ReadStatusMask();
                if (!ok)
                    ++commandFailures;
                if (t == 0 && i % 40 == 0 && !controller.exportConfig(dir / "stress.tcfg"))
                    ++commandFailures;
                if (t == 1 && i % 25 == 0)
                    controller.SetHeartbeatPaused(i % 50 == 0);
            }
        });
    // The GUI's accessors.
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            while (!done) {
                const ScanStatus status = controller.GetScanStatus();
                if (status.curScanNum != status.scanPercent ||
                    !LightConsistent(status.currentWw, status.unit))
                    ++torn;
                const LaserCache snapshot = controller.Snapshot();
                if (snapshot.progress.cur_scan_num != snapshot.progress.scan_percent ||
                    !LightConsistent(snapshot.light.current_ww, snapshot.light.unit))
                    ++torn;
                (void)controller.StatusBits();
                (void)controller.SystemErrorWord();
                (void)controller.InstalledQcls();
                (void)controller.ActiveQcl();
                (void)controller.ControllerFirmware();
                (void)controller.MotionFirmware();
                (void)controller.SerialNumber();
                (void)controller.ModelNumber();
                (void)controller.HeartbeatPaused();
                (void)controller.HeartbeatRunning();
                (void)controller.ConsecutiveFailures();
                (void)controller.IsConnected();
                (void)controller.GetOperatingMode();
                (void)controller.GetTransportType();
                (void)controller.HasTransport();
                ++reads;
            }
        });

    controller.StartHeartbeat();
    // Each advance releases one more heartbeat cycle once the last one has gone idle.
    for (std::size_t cycle = 1; cycle <= kCycles; ++cycle) {
        rig.clock.AwaitWaitsBegun(cycle);
        rig.clock.Advance(500);
    }
    rig.clock.AwaitWaitsBegun(kCycles + 1);
    done = true;
    for (auto& thread : threads)
        thread.join();
    controller.StopHeartbeat();
    controller.SetHeartbeatPaused(false);
    controller.HeartbeatCycle();

    EXPECT_EQ(torn.load(), 0u);
    EXPECT_EQ(commandFailures.load(), 0u);
    EXPECT_GT(reads.load(), 0u);
    EXPECT_GE(rig.clock.WaitsBegun(), kCycles + 1);
    EXPECT_FALSE(controller.HeartbeatRunning());
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
}
