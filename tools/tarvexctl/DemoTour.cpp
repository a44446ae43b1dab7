// A tour of the controller on the built-in simulated laser: the simulator answers on a
// pseudo-terminal, and the controller finds it, reads its identity, arms it, tunes it, switches
// emission on and off and runs a sweep, all through the same serial transport it uses for a
// real laser, with the heartbeat keeping its picture of the laser fresh.
#include "DemoTour.h"

#include "Commands.h"
#include "ExitStatus.h"
#include "FaultInjector.h"
#include "KTarvexController.h"
#include "PtyAttachment.h"
#include "Session.h"
#include "SimLaser.h"
#include "SimLink.h"

#include <cstdio>
#include <functional>

namespace tarvexctl {

using namespace tarvex;

namespace {

constexpr std::uint8_t kWavenumber = units::kWavenumber;

// A readback in the laser's display unit, shown as a wavenumber.
double Wavenumber(float value, std::uint8_t unit) {
    return static_cast<double>(unit == units::kMicrons ? units::Convert(value) : value);
}

// Polls the controller's cache (kept fresh by the heartbeat) until `done` or `limitMs`.
bool WaitFor(Clock& clock, const std::function<bool()>& done, std::uint64_t limitMs) {
    const std::uint64_t deadline = clock.NowMs() + limitMs;
    while (!done()) {
        if (clock.NowMs() > deadline)
            return false;
        clock.SleepMs(100);
    }
    return true;
}

void ShowIdentity(const KTarvexController& controller) {
    const LaserCache c = controller.Snapshot();
    std::printf("Laser %s, serial %s, made %s, %.1f h of operation\n",
                FieldText(c.admin.model_num_length, c.admin.model_num).c_str(),
                FieldText(c.admin.serial_num_length, c.admin.serial_num).c_str(),
                std::string(c.admin.mfg_date.begin(), c.admin.mfg_date.end()).c_str(),
                static_cast<double>(c.admin.hrs));
    std::printf("Controller firmware %u.%u.%u, motion board %u.%u.%u\n", c.firmware.major,
                c.firmware.minor, c.firmware.patch, c.motionFirmware.major, c.motionFirmware.minor,
                c.motionFirmware.patch);
    for (std::size_t i = 0; i < c.InstalledQcls(); ++i) {
        const AdminQclParams& q = c.adminQcl[i];
        std::printf("  QCL %u: %.2f to %.2f %s, up to %.0f mA%s\n", q.slot,
                    static_cast<double>(q.min_ww), static_cast<double>(q.max_ww),
                    q.ww_unit == units::kMicrons ? "um" : "cm-1",
                    static_cast<double>(q.max_drive_current),
                    q.max_drive_cw_current > 0 ? ", CW capable" : "");
    }
}

void ShowEmission(const KTarvexController& controller) {
    const LaserCache c = controller.Snapshot();
    const std::size_t slot = c.light.cur_qcl;
    std::printf("  emitting %s at %.1f cm-1 on QCL %zu", c.light.light_out ? "yes" : "no",
                Wavenumber(c.light.current_ww, c.light.unit), slot);
    if (slot >= 1 && slot <= kMaxQcls)
        std::printf(", %.0f mA, TEC %.2f C",
                    static_cast<double>(c.qclInfo[slot - 1].actual_current),
                    static_cast<double>(c.qclInfo[slot - 1].actual_temp));
    std::printf("\n");
}

} // namespace

// Generous limits: the laser arms and tunes in a few seconds, but the heartbeat that reports it
// runs in real time over the pseudo-terminal and slows down on a busy computer.
constexpr std::uint64_t kArmLimitMs = 20000;
constexpr std::uint64_t kTuneLimitMs = 40000;

int RunDemo(Clock& clock) {
    sim::SimLaser laser(clock);
    sim::FaultInjector faults;
    sim::SimLink link(laser, faults);
    sim::PtyAttachment pty(link, clock);
    if (!pty.IsOpen()) {
        std::fprintf(stderr, "tarvexctl demo: no pseudo-terminal available\n");
        return 1;
    }
    std::printf("Simulated laser on %s\n", pty.SlavePath().c_str());

    KTarvexController controller(ControllerProfile::Panel(), &clock);
    controller.SetComPort(pty.SlavePath());
    controller.SetLinkLostCallback([] { std::printf("  (the link to the laser is failing)\n"); });
    if (!controller.Initialize()) {
        std::fprintf(stderr, "tarvexctl demo: no laser answered on %s\n", pty.SlavePath().c_str());
        return 1;
    }
    std::printf("Connected on %s at %u baud\n", controller.ConnectedPort().c_str(),
                controller.ConnectedBaud());
    ShowIdentity(controller);

    std::printf("Arming...\n");
    if (!controller.ToggleArm() ||
        !WaitFor(
            clock, [&] { return controller.StatusBit(status::kArmed); }, kArmLimitMs)) {
        std::fprintf(stderr, "tarvexctl demo: the laser did not arm\n");
        return 1;
    }
    std::printf("  armed (status mask 0x%X)\n", controller.StatusBits());

    std::printf("Tuning to 1650 cm-1 on QCL 2...\n");
    if (!controller.TuneToWW(1650.0f, kWavenumber, 0, 2) ||
        !WaitFor(
            clock, [&] { return !controller.GetScanStatus().adjustingWavelength; }, kTuneLimitMs)) {
        std::fprintf(stderr, "tarvexctl demo: the tune did not complete\n");
        return 1;
    }
    const ScanStatus tuned = controller.GetScanStatus();
    std::printf("  tuned to %.1f cm-1\n", Wavenumber(tuned.currentWw, tuned.unit));

    std::printf("Emission on...\n");
    controller.SetLaserOnOff(true, 0);
    WaitFor(
        clock,
        [&] {
            return controller.ReadCache([](const LaserCache& c) {
                return c.light.light_out != 0 && c.qclInfo[1].actual_current > 0;
            });
        },
        3000);
    ShowEmission(controller);
    controller.SetLaserOnOff(false, 0);
    WaitFor(
        clock, [&] { return !controller.StatusBit(status::kEmissionOn); }, 3000);
    std::printf("Emission off\n");

    std::printf("Sweeping 1700 to 1800 cm-1 at 50 cm-1/s...\n");
    controller.StartSweepScan(1700.0f, 1800.0f, 50.0f, kWavenumber, 1, false, 2);
    WaitFor(
        clock, [&] { return controller.GetScanStatus().scanInProgress; }, 2000);
    int lastPercent = -1;
    WaitFor(
        clock,
        [&] {
            const ScanStatus s = controller.GetScanStatus();
            if (s.scanPercent != lastPercent && s.scanInProgress) {
                lastPercent = s.scanPercent;
                std::printf("  %3u%%  %.1f cm-1\n", s.scanPercent, Wavenumber(s.currentWw, s.unit));
            }
            return !s.scanInProgress;
        },
        15000);
    std::printf("  sweep done\n");

    std::printf("A corrupted acknowledgement is rejected; the next command goes through:\n");
    faults.Add({sim::Fault::CorruptAck, StatusMask::kCmd, 1, 0.0, 0});
    controller.StopHeartbeat();
    const bool first = controller.ReadStatusMask();
    const bool second = controller.ReadStatusMask();
    std::printf("  first read %s, second read %s\n", first ? "ok" : "rejected",
                second ? "ok" : "rejected");

    std::printf("Disarming...\n");
    controller.ToggleArm();
    std::printf("  %s\n", controller.StatusBit(status::kArmed) ? "still armed" : "disarmed");
    const auto stats = link.GetStats();
    std::printf("The laser saw %zu packets, %zu with a bad CRC, and refused %zu.\n", stats.packets,
                stats.crcErrors, stats.naks);
    return 0;
}

} // namespace tarvexctl

namespace tarvexctl {

void AddDemoCommand(CLI::App& app, CommandSet& set, Context&) {
    set.Add(app, "demo",
            "Take the terminal tour of the controller on its own simulated laser (the connection "
            "options do not apply)",
            [] {
                if (RunDemo(SimulationClock()) != 0)
                    throw Failure(Exit::Error, "the tour did not finish");
            });
}

} // namespace tarvexctl
