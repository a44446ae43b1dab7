#include "Follow.h"

#include "ExitStatus.h"
#include "Interrupt.h"
#include "Output.h"
#include "Progress.h"
#include "Report.h"
#include "Session.h"
#include "Units.h"
#include "Waits.h"
#include "control/FaultCodes.h"
#include "control/Preconditions.h"

#include <cmath>

namespace tarvexctl {

using namespace tarvex;

namespace {

// A tune is followed more closely than a scan: it is often a matter of a second or two.
constexpr std::uint32_t kTunePollMs = 250;

// Stops what the command started, and says so, when the user interrupted the wait.
[[noreturn]] void StopForInterrupt(Session& laser, const Output& out, const std::string& what) {
    const bool stopped = laser.Controller().StopScan();
    out.Note(stopped ? "Stopped the " + what + "." : "Could not stop the " + what + ".");
    throw Failure(Exit::Interrupted,
                  "interrupted: the " + what + (stopped ? " was stopped" : " may still run"),
                  stopped ? "" : "stop it with 'tarvexctl stop'");
}

// A fault the laser reports ends the wait.
void CheckForFault(Session& laser, const std::string& what) {
    const std::uint16_t fault = laser.Controller().SystemErrorWord();
    if (laser.Controller().StatusBit(status::kSystemError) && fault != 0)
        throw Failure(Exit::LaserFault,
                      Format("the laser reports fault %u (%s) during the %s", fault,
                             control::FaultText(fault), what.c_str()),
                      "'tarvexctl faults' shows the faults");
}

// Where the laser's light is now, in `unit`; 0 when it reports none.
float CurrentIn(const KTarvexController& c, std::uint8_t unit) {
    const InfoLight light = c.ReadCache([](const LaserCache& cache) { return cache.light; });
    return light.unit == unit ? light.current_ww : units::Convert(light.current_ww);
}

} // namespace

std::uint64_t FollowTune(Session& laser, const Output& out, float target, std::uint8_t unit,
                         std::uint64_t timeoutMs) {
    KTarvexController& c = laser.Controller();
    Clock& clock = laser.GetClock();
    const std::uint64_t start = clock.NowMs();
    Progress progress(out, clock, "tune");
    InterruptScope interrupts;
    laser.Require(c.ReadInfoLight(), "report its wavelength");
    const float from = CurrentIn(c, unit);
    const std::string detail = Format("to %g %s", static_cast<double>(target), UnitName(unit));
    while (!control::IsTuned(c)) {
        CheckForFault(laser, "tune");
        if (!c.StatusBit(status::kScanInProgress))
            throw Failure(Exit::LaserFault, "the tune ended before the laser reported tuned",
                          "'tarvexctl status' shows what the laser is doing");
        if (clock.NowMs() - start >= timeoutMs)
            throw Failure(Exit::LaserFault,
                          "the laser did not report tuned within " + Duration(timeoutMs),
                          "'tarvexctl status' shows what it is doing; a longer --timeout waits "
                          "longer");
        laser.Require(c.ReadInfoLight(), "report its wavelength");
        const float now = CurrentIn(c, unit);
        const double distance = std::fabs(static_cast<double>(target - from));
        if (from != 0 && now != 0 && distance > 0)
            progress.Update(100.0 * (1.0 - std::fabs(static_cast<double>(target - now)) / distance),
                            detail);
        if (!Pause(clock, kTunePollMs))
            StopForInterrupt(laser, out, "tune");
    }
    progress.Update(100, detail);
    return clock.NowMs() - start;
}

std::uint64_t FollowScan(Session& laser, const Output& out, const std::string& label,
                         std::uint16_t scans, std::uint8_t unit) {
    KTarvexController& c = laser.Controller();
    Clock& clock = laser.GetClock();
    const std::uint64_t start = clock.NowMs();
    Progress progress(out, clock, label);
    InterruptScope interrupts;
    for (;;) {
        laser.Require(c.ReadStatusMask() && c.ReadScanProgress() && c.ReadInfoLight(),
                      "report the scan's progress");
        CheckForFault(laser, label);
        const ScanStatus s = c.GetScanStatus();
        if (!s.scanInProgress)
            break;
        // The laser counts each run of a scan from 0 to 100 percent.
        const unsigned run = s.curScanNum == 0 ? 1u : s.curScanNum;
        const double percent =
            scans == 0 ? s.scanPercent
                       : (100.0 * (run - 1) + s.scanPercent) / static_cast<double>(scans);
        std::string detail = scans == 0 ? Format("run %u of an endless scan", run)
                                        : Format("run %u of %u", run, scans);
        if (const float at = CurrentIn(c, unit); at != 0)
            detail += Format(", at %.5g %s", static_cast<double>(at), UnitName(unit));
        progress.Update(percent, detail);
        if (!Pause(clock, kPollMs))
            StopForInterrupt(laser, out, label);
    }
    progress.Update(100);
    return clock.NowMs() - start;
}

} // namespace tarvexctl
