// status, faults and log: what the laser is doing, what went wrong, and a record over time.
#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "NumberChecks.h"
#include "Progress.h"
#include "Report.h"
#include "Waits.h"
#include "control/Preconditions.h"
#include "files/ParameterLog.h"

#include <chrono>
#include <ctime>

namespace tarvexctl {

using namespace tarvex;

namespace {

// Thirty years and more, still a count of milliseconds.
constexpr double kLongestLogS = 1e9;

struct StatusOptions {
    bool watch = false;
    unsigned count = 0;
};

void Status(Context& context, const StatusOptions& options) {
    Session& laser = context.Laser();
    const Output out = context.Out();
    // Redrawn in place on a terminal; one frame after another elsewhere.
    const bool redraw = options.watch && !out.JsonMode() && Output::StdoutIsTerminal();
    const unsigned frames = options.watch ? options.count : 1;
    InterruptScope interrupts;
    for (unsigned n = 0; frames == 0 || n < frames; ++n) {
        if (n > 0 && !Pause(laser.GetClock(), kPollMs))
            break;
        ReadStatusFrame(laser);
        const bool tuned = control::IsTuned(laser.Controller());
        const Report report = StatusReport(laser.Controller().Snapshot(), tuned);
        if (!options.watch)
            out.Result(report.json, report.text);
        else if (redraw)
            out.Frame(report.json, "\x1b[H\x1b[2J" + report.text);
        else
            out.Frame(report.json, (n > 0 ? "\n" : "") + report.text);
    }
}

void Faults(Context& context, bool clear) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    SystemErrorsList lists;
    laser.Require(c.ReadStatusMask() && c.ReadSystemErrors(lists), "report its faults");
    Report report = FaultsReport(c.Snapshot());
    if (clear) {
        const std::uint16_t fault = c.SystemErrorWord();
        const bool cleared = c.ClearFault();
        report.json.Set("cleared", cleared);
        report.text += cleared ? "Cleared.\n" : "Not cleared.\n";
        context.Out().Result(report.json, report.text);
        if (!cleared)
            throw Failure(Exit::LaserFault,
                          "the laser still reports a fault after the clear" +
                              (fault ? Format(" (%u)", fault) : std::string()),
                          "remove its cause (the laser's user guide tells how), then clear again");
        return;
    }
    context.Out().Result(report.json, report.text);
}

struct LogOptions {
    std::string file;
    double durationS = 0;
};

void Log(Context& context, const LogOptions& options) {
    Session& laser = context.Laser();
    Clock& clock = laser.GetClock();
    const Output out = context.Out();
    const std::size_t qcls = laser.Controller().InstalledQcls();
    const auto durationMs = static_cast<std::uint64_t>(options.durationS * 1000);
    out.Note("Logging to " + options.file + " every 500 ms" +
             (durationMs ? " for " + Duration(durationMs) : std::string(" until interrupted")));
    Progress progress(out, clock, "log");
    InterruptScope interrupts;
    const std::uint64_t start = clock.NowMs();
    std::size_t lines = 0;
    bool warned = false;
    for (std::uint64_t tick = 0;; ++tick) {
        const std::uint64_t due = start + tick * kPollMs;
        if (durationMs && due - start >= durationMs)
            break;
        if (clock.NowMs() < due && !Pause(clock, static_cast<std::uint32_t>(due - clock.NowMs())))
            break;
        ReadStatusFrame(laser);
        const std::time_t now =
            std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
        std::tm local{};
        localtime_r(&now, &local);
        if (AppendParameterLog(options.file, laser.Controller().Snapshot(), qcls, local)) {
            ++lines;
        } else if (!warned) {
            // As the panel does: the line is lost and the next tick tries again.
            out.Note("cannot write " + options.file + "; trying again at every line");
            warned = true;
        }
        if (durationMs)
            progress.Update(100.0 * static_cast<double>(clock.NowMs() - start) /
                            static_cast<double>(durationMs));
    }
    if (durationMs && !Interrupted())
        progress.Update(100);
    progress.Finish();
    out.Result(Json::Object().Set("file", options.file).Set("lines", lines),
               Format("%zu lines written to %s", lines, options.file.c_str()));
    if (lines == 0 && warned)
        throw Failure(Exit::Error, "no line could be written to " + options.file,
                      "name a file in a writable directory");
}

} // namespace

void AddStatusCommands(CLI::App& app, CommandSet& set, Context& context) {
    auto status = std::make_shared<StatusOptions>();
    auto* command =
        set.Add(app, "status",
                "Show the status bits in words, the fault, the light, temperatures and the scan's "
                "progress",
                [&context, status] { Status(context, *status); });
    command->add_flag("-w,--watch", status->watch,
                      "redraw every 500 ms, as the panel's status frame, until interrupted");
    command->add_option("--count", status->count, "with --watch: stop after N redraws")
        ->type_name("N");
    command->footer(
        "JSON: {\"status\": {\"mask\", \"armed\", \"emission_on\", \"interlock_closed\", "
        "\"key_switch_on\", \"tecs_at_temperature\", \"scan_in_progress\", \"system_fault\", "
        "\"case_temperature_1_warning\", \"case_temperature_2_warning\", "
        "\"pcb_temperature_warning\", \"pointer_fitted\", \"pointer_on\"}, \"fault\": {\"code\", "
        "\"text\"}, \"light\": {\"emitting\", \"wavenumber_cm1\", \"wavelength_um\", \"qcl\"}, "
        "\"active_qcl\": {\"slot\", \"laser_mode\", \"pulse_rate_hz\", \"pulse_width_ns\", "
        "\"current_ma\"} or null, \"scan\": {\"in_progress\", \"active\", \"tuned\", \"mode\" "
        "(tune, sweep, step-measure, multi-spectral), \"scan_number\", \"percent\", "
        "\"adjusting_temperature\", \"adjusting_wavelength\", "
        "\"safety_timer\"}, \"temperatures\": {\"case_1_c\", \"case_2_c\", \"pcb_c\"}, \"qcls\": "
        "[{\"slot\", \"temperature_c\", \"tec_current_ma\", \"tec_voltage_v\", \"current_ma\", "
        "\"active\"}]}. With --watch, one such document per line, one line per redraw.");

    auto clear = std::make_shared<bool>(false);
    command = set.Add(app, "faults",
                      "Show the current fault and both fault rings (newest first) with their texts",
                      [&context, clear] { Faults(context, *clear); });
    command->add_flag("--clear", *clear, "then clear the current fault");
    command->footer("JSON: {\"fault\": {\"code\", \"text\"}, \"system_fault\", \"errors\": "
                    "{\"new\", \"codes\": [{\"code\", \"text\", \"new\"}]}, \"warnings\": (the "
                    "same), \"cleared\" (with --clear)}");

    auto log = std::make_shared<LogOptions>();
    command = set.Add(app, "log",
                      "Append the panel's parameter log (tab-separated, a line every 500 ms) to "
                      "FILE",
                      [&context, log] { Log(context, *log); });
    command->add_option("file", log->file, "the log file; a new one starts with a header")
        ->required()
        ->type_name("FILE");
    command
        ->add_option("-d,--duration", log->durationS,
                     "how long to log, in seconds or with a unit (90, 90s, 5m, 2h); "
                     "default: until interrupted")
        ->type_name("D")
        ->transform(
            CLI::AsNumberWithUnit(std::map<std::string, double>{{"s", 1}, {"m", 60}, {"h", 3600}}))
        ->check(PositiveNumberUpTo(kLongestLogS, "seconds"));
    command->footer("JSON: {\"file\", \"lines\"}");
}

} // namespace tarvexctl
