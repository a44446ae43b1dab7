// arm, disarm, tune, emission and the run control of a scan: each checked against the laser's
// preconditions, as the SDK checks them, before anything is sent.
#include "Commands.h"
#include "ExitStatus.h"
#include "Follow.h"
#include "Interrupt.h"
#include "NumberChecks.h"
#include "Progress.h"
#include "Report.h"
#include "Units.h"
#include "Waits.h"
#include "control/Preconditions.h"

namespace tarvexctl {

using namespace tarvex;
using control::Preconditions;

namespace {

// Arming powers the QCL drivers up, which takes the laser a moment.
constexpr double kDefaultArmTimeoutS = 30;
constexpr double kDefaultTuneTimeoutS = 60;
// A day: longer than any wait could be meant, short enough to count in milliseconds.
constexpr double kLongestTimeoutS = 86400;

std::uint64_t Ms(double seconds) {
    return static_cast<std::uint64_t>(seconds * 1000);
}

struct ArmOptions {
    bool noWait = false;
    double timeoutS = kDefaultArmTimeoutS;
};

void Arm(Context& context, const ArmOptions& options) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    const Output out = context.Out();
    laser.Check(Preconditions(c).ForArm(), "arm the laser");
    laser.Require(c.ExecLaserArmDisarm(1), "arm");
    if (!options.noWait) {
        out.Note("Arming...");
        Clock& clock = laser.GetClock();
        const std::uint64_t start = clock.NowMs();
        InterruptScope interrupts;
        for (;;) {
            laser.Require(c.ReadStatusMask(), "report whether it is armed");
            if (c.StatusBit(status::kArmed))
                break;
            if (clock.NowMs() - start >= Ms(options.timeoutS))
                throw Failure(Exit::LaserFault,
                              "the laser did not report armed within " +
                                  Duration(Ms(options.timeoutS)),
                              "'tarvexctl status' and 'tarvexctl faults' show why");
            if (!Pause(clock, 100))
                throw Failure(Exit::Interrupted, "interrupted: the laser goes on arming",
                              "'tarvexctl disarm' disarms it");
        }
    }
    out.Result(Json::Object().Set("armed", !options.noWait ? Json(true) : Json()),
               options.noWait ? "Arming." : "Armed.");
}

void Disarm(Context& context) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    laser.Check(Preconditions(c).ForDisarm(), "disarm the laser");
    laser.Require(c.ExecLaserArmDisarm(0), "disarm");
    context.Out().Result(Json::Object().Set("armed", false), "Disarmed.");
}

struct TuneOptions {
    float value = 0;
    std::string unit;
    unsigned qcl = 0;
    bool wait = false;
    double timeoutS = kDefaultTuneTimeoutS;
};

void Tune(Context& context, const TuneOptions& options) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    const Output out = context.Out();
    const std::uint8_t unit = UnitCode(options.unit);
    const auto qcl = static_cast<std::uint8_t>(options.qcl);
    const std::string target = Format("%g %s", static_cast<double>(options.value), UnitName(unit));
    laser.Check(Preconditions(c).ForTune(options.value, unit, qcl), "tune to " + target);
    laser.Require(c.TuneToWW(options.value, unit, 0, qcl), "start the tune to " + target);
    Json result =
        Json::Object()
            .Set("target", Json::Object().Set("value", options.value).Set("unit", UnitName(unit)))
            .Set("qcl", qcl == 0 ? Json() : Json(qcl));
    if (!options.wait) {
        out.Result(result.Set("tuned", Json()), "Tuning to " + target + ".");
        return;
    }
    const std::uint64_t took = FollowTune(laser, out, options.value, unit, Ms(options.timeoutS));
    out.Result(result.Set("tuned", true).Set("seconds", static_cast<double>(took) / 1000),
               "Tuned to " + target + " in " + Duration(took) + ".");
}

void Emission(Context& context, const std::string& state) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    const bool on = state == "on";
    laser.Check(on ? Preconditions(c).ForEmissionOn() : Preconditions(c).ForEmissionOff(),
                "switch emission " + state);
    laser.Require(c.SetLaserOnOff(on, 0), "switch emission " + state);
    context.Out().Result(Json::Object().Set("emission_on", on), "Emission " + state + ".");
}

// Stop, pause, resume and trigger of the scan in progress.
struct RunControl {
    const char* name;
    const char* description;
    bool (KTarvexController::*operation)();
    const char* done;
};

void Run(Context& context, const RunControl& control) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    const std::string what = std::string(control.name) + " the scan";
    laser.Check(Preconditions(c).ForRunControl(), what);
    laser.Require((c.*control.operation)(), what);
    context.Out().Result(Json::Object().Set("scan", control.done),
                         "Scan " + std::string(control.done) + ".");
}

} // namespace

void AddControlCommands(CLI::App& app, CommandSet& set, Context& context) {
    auto arm = std::make_shared<ArmOptions>();
    auto* command = set.Add(app, "arm",
                            "Arm the laser (interlock closed and key switch on) and wait until it "
                            "reports armed",
                            [&context, arm] { Arm(context, *arm); });
    command->add_flag("--no-wait", arm->noWait, "return once the laser took the command");
    command->add_option("--timeout", arm->timeoutS, "how long to wait for armed, in seconds")
        ->capture_default_str()
        ->check(PositiveNumberUpTo(kLongestTimeoutS, "seconds"));
    command->footer("JSON: {\"armed\": true, or null with --no-wait}");

    set.Add(app, "disarm", "Disarm the laser and wait until it reports disarmed",
            [&context] { Disarm(context); })
        ->footer("JSON: {\"armed\": false}");

    auto tune = std::make_shared<TuneOptions>();
    command = set.Add(app, "tune",
                      "Tune to a wavelength (um) or wavenumber (cm-1); TECs at temperature, "
                      "within the tuning range and armed",
                      [&context, tune] { Tune(context, *tune); });
    command->add_option("value", tune->value, "the wavelength or wavenumber")
        ->required()
        ->check(FiniteNumber());
    AddUnitArgument(*command, tune->unit);
    AddQclOption(*command, tune->qcl, "the QCL to tune");
    command->add_flag("--wait", tune->wait,
                      "wait until the laser reports tuned, with a progress bar; Ctrl-C stops "
                      "the tune");
    command->add_option("--timeout", tune->timeoutS, "with --wait: at most this many seconds")
        ->capture_default_str()
        ->check(PositiveNumberUpTo(kLongestTimeoutS, "seconds"));
    command->footer("JSON: {\"target\": {\"value\", \"unit\"}, \"qcl\", \"tuned\": true (with "
                    "--wait) or null, \"seconds\"}");

    auto state = std::make_shared<std::string>();
    command = set.Add(app, "emission",
                      "Switch emission on (armed and tuned) or off; nothing else switches it on",
                      [&context, state] { Emission(context, *state); });
    command->add_option("state", *state, "on or off")
        ->required()
        ->check(CLI::IsMember({"on", "off"}));
    command->footer("JSON: {\"emission_on\"}");

    static constexpr RunControl kRunControls[] = {
        {"stop", "Stop the scan (or tune) in progress", &KTarvexController::StopScan, "stopped"},
        {"pause", "Pause the scan in progress", &KTarvexController::PauseScan, "paused"},
        {"resume", "Resume the paused scan", &KTarvexController::ResumeScan, "resumed"},
        {"trigger", "Step the scan in progress on (manual process trigger)",
         &KTarvexController::ManualStep, "triggered"},
    };
    for (const RunControl& control : kRunControls)
        set.Add(app, control.name, control.description,
                [&context, &control] { Run(context, control); })
            ->footer("JSON: {\"scan\": \"" + std::string(control.done) + "\"}");
}

} // namespace tarvexctl
