// sweep, step-measure and multi-spectral: checked as the SDK checks them, started, and followed
// with a progress bar until done (Ctrl-C stops the scan, and only the scan).
#include "Commands.h"
#include "ExitStatus.h"
#include "Follow.h"
#include "NumberChecks.h"
#include "Progress.h"
#include "Report.h"
#include "Units.h"
#include "control/MultiSpectralList.h"
#include "control/Preconditions.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <type_traits>

namespace tarvexctl {

using namespace tarvex;
using control::Preconditions;

namespace {

// Speeds and steps go to the laser as single floats.
constexpr double kLargestFloat = std::numeric_limits<float>::max();

// What every scan takes besides its own parameters.
struct ScanOptions {
    std::string unit;
    unsigned scans = 1;
    bool noWait = false;
    bool keepLaserOn = false;
};

void AddScanOptions(CLI::App& command, ScanOptions& options, bool keepLaserOn) {
    command.add_option("--scans", options.scans, "how many times to run the scan; 0: endlessly")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    command.add_flag("--no-wait", options.noWait,
                     "return once the scan has started instead of following it");
    if (keepLaserOn)
        command.add_flag("--keep-laser-on", options.keepLaserOn,
                         "tell the laser not to switch emission off between steps");
}

// Follows the started scan unless asked not to, and reports it.
void Finish(Context& context, Session& laser, const ScanOptions& options, const std::string& name,
            Json result) {
    const std::uint8_t unit = UnitCode(options.unit);
    const auto scans = static_cast<std::uint16_t>(options.scans);
    result.Set("scan", name).Set("scans", scans);
    const Output out = context.Out();
    if (options.noWait) {
        out.Result(result.Set("completed", Json()), "Started the " + name + " scan.");
        return;
    }
    const std::uint64_t took = FollowScan(laser, out, name, scans, unit);
    out.Result(result.Set("completed", true).Set("seconds", static_cast<double>(took) / 1000),
               "The " + name + " scan is done after " + Duration(took) + ".");
}

Json Range(float start, float stop, std::uint8_t unit) {
    return Json::Object().Set("start", start).Set("stop", stop).Set("unit", UnitName(unit));
}

struct SweepOptions : ScanOptions {
    float start = 0;
    float stop = 0;
    float speed = 0;
    bool bidirectional = false;
    unsigned qcl = 0;
};

void Sweep(Context& context, const SweepOptions& o) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    const std::uint8_t unit = UnitCode(o.unit);
    const auto qcl = static_cast<std::uint8_t>(o.qcl);
    laser.Check(Preconditions(c).ForSweep(o.start, o.stop, unit, qcl), "start the sweep");
    laser.Require(c.StartSweepScan(o.start, o.stop, o.speed, unit,
                                   static_cast<std::uint16_t>(o.scans), o.bidirectional, qcl),
                  "start the sweep");
    Finish(
        context, laser, o, "sweep",
        Range(o.start, o.stop, unit).Set("speed", o.speed).Set("bidirectional", o.bidirectional));
}

struct StepOptions : ScanOptions {
    float start = 0;
    float stop = 0;
    float step = 0;
};

void StepMeasure(Context& context, const StepOptions& o) {
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    const std::uint8_t unit = UnitCode(o.unit);
    laser.Check(Preconditions(c).ForStepMeasure(o.start, o.stop, unit),
                "start the step-and-measure scan");
    laser.Require(c.StartStepMeasureScan(o.start, o.stop, o.step, unit,
                                         static_cast<std::uint16_t>(o.scans), o.keepLaserOn),
                  "start the step-and-measure scan");
    Finish(context, laser, o, "step-measure", Range(o.start, o.stop, unit).Set("step", o.step));
}

struct MultiOptions : ScanOptions {
    std::vector<std::string> elements;
    std::string file;
    std::uint32_t dwellMs = 1000;
    std::uint32_t offMs = 0;
};

struct Element {
    float ww = 0;
    std::uint32_t dwellMs = 0;
    std::uint32_t offMs = 0;
};

template <typename T> bool ParseNumber(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(value))
            return false;
    return !text.empty() && error == std::errc{} && stop == end;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos
               ? std::string()
               : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "WW[<sep>DWELL[<sep>OFF]]", the times in ms defaulting to `defaults`'.
bool ParseElement(const std::string& text, char separator, const Element& defaults,
                  Element& element) {
    std::vector<std::string> fields;
    std::stringstream in(text);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(Trim(field));
    element = defaults;
    return !fields.empty() && fields.size() <= 3 && ParseNumber(fields[0], element.ww) &&
           (fields.size() < 2 || ParseNumber(fields[1], element.dwellMs)) &&
           (fields.size() < 3 || ParseNumber(fields[2], element.offMs));
}

// The elements of a CSV file: a line per element; '#' comments, blank lines and a header line
// (a first line that does not start with a number) are skipped.
std::vector<Element> ReadElements(const std::string& path, const Element& defaults) {
    std::ifstream in(path);
    if (!in)
        throw Failure(Exit::NotFound, "cannot read " + path, "name an existing CSV file");
    std::vector<Element> elements;
    std::size_t number = 0;
    bool firstLine = true;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        const bool header = firstLine && !std::isdigit(static_cast<unsigned char>(trimmed[0])) &&
                            trimmed[0] != '.' && trimmed[0] != '-' && trimmed[0] != '+';
        firstLine = false;
        Element element;
        if (ParseElement(trimmed, ',', defaults, element))
            elements.push_back(element);
        else if (!header)
            throw Failure(
                Exit::Usage,
                Format("%s:%zu: not an element: %s", path.c_str(), number, trimmed.c_str()),
                "write WW,DWELL_MS,OFF_MS on each line");
    }
    return elements;
}

void MultiSpectral(Context& context, const MultiOptions& o) {
    const Element defaults{0, o.dwellMs, o.offMs};
    std::vector<Element> elements =
        o.file.empty() ? std::vector<Element>{} : ReadElements(o.file, defaults);
    for (const std::string& text : o.elements) {
        Element element;
        if (!ParseElement(text, ':', defaults, element))
            throw Failure(Exit::Usage, "not an element: " + text, "write WW[:DWELL_MS[:OFF_MS]]");
        elements.push_back(element);
    }
    if (elements.empty())
        throw Failure(Exit::Usage, "no wavelengths given", "list them as arguments or with --file");

    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    const std::uint8_t unit = UnitCode(o.unit);
    Preconditions checks(c);
    control::MultiSpectralList list;
    const std::string what = "start the multi-spectral scan";
    laser.Check(
        list.Announce(static_cast<std::uint8_t>(std::min<std::size_t>(elements.size(), 255))),
        what);
    Json listed = Json::Array();
    for (const Element& e : elements) {
        laser.Check(list.Add(checks, e.ww, unit, e.dwellMs, e.offMs),
                    Format("add %g %s to the list", static_cast<double>(e.ww), UnitName(unit)));
        listed.Push(
            Json::Object().Set("value", e.ww).Set("dwell_ms", e.dwellMs).Set("off_ms", e.offMs));
    }
    laser.Check(checks.ForMultiSpectral(list), what);
    laser.Require(c.StartMultiSpectralScan(list.Elements(), list.Unit(),
                                           static_cast<std::uint16_t>(o.scans), o.keepLaserOn),
                  what);
    Finish(context, laser, o, "multi-spectral",
           Json::Object().Set("unit", UnitName(unit)).Set("elements", std::move(listed)));
}

constexpr const char* kScanFooter =
    "Follows the scan with a progress bar (plain percent lines when standard error is not a "
    "terminal) until the laser reports it done; Ctrl-C stops the scan and ends with status 130. "
    "JSON: {\"scan\", \"scans\", \"completed\": true (null with --no-wait), \"seconds\", and the "
    "scan's parameters}";

} // namespace

void AddScanCommands(CLI::App& app, CommandSet& set, Context& context) {
    auto sweep = std::make_shared<SweepOptions>();
    auto* command = set.Add(app, "sweep",
                            "Sweep from START to STOP at a speed; TECs at temperature, both ends "
                            "within the tuning range and armed",
                            [&context, sweep] { Sweep(context, *sweep); });
    command->add_option("start", sweep->start, "where the sweep starts")
        ->required()
        ->check(FiniteNumber());
    command->add_option("stop", sweep->stop, "where it ends")->required()->check(FiniteNumber());
    AddUnitArgument(*command, sweep->unit);
    command->add_option("--speed", sweep->speed, "in the unit per second")
        ->required()
        ->check(PositiveNumberUpTo(kLargestFloat));
    command->add_flag("--bidirectional", sweep->bidirectional, "sweep back as well");
    AddQclOption(*command, sweep->qcl, "the QCL to sweep with");
    AddScanOptions(*command, *sweep, false);
    command->footer(kScanFooter);

    auto step = std::make_shared<StepOptions>();
    command = set.Add(app, "step-measure",
                      "Step from START to STOP, dwelling at each step; TECs at temperature, both "
                      "ends within the tuning range and armed",
                      [&context, step] { StepMeasure(context, *step); });
    command->add_option("start", step->start, "the first step")->required()->check(FiniteNumber());
    command->add_option("stop", step->stop, "the last step")->required()->check(FiniteNumber());
    command->add_option("step", step->step, "the step size")
        ->required()
        ->check(PositiveNumberUpTo(kLargestFloat));
    AddUnitArgument(*command, step->unit);
    AddScanOptions(*command, *step, true);
    command->footer(kScanFooter);

    auto multi = std::make_shared<MultiOptions>();
    command = set.Add(app, "multi-spectral",
                      "Visit up to 20 wavelengths in turn, each for its dwell time; TECs at "
                      "temperature, each within the tuning range and armed",
                      [&context, multi] { MultiSpectral(context, *multi); });
    AddUnitArgument(*command, multi->unit);
    command->add_option("elements", multi->elements, "WW[:DWELL_MS[:OFF_MS]], e.g. 1650:200:50")
        ->type_name("ELEMENT");
    command
        ->add_option("-f,--file", multi->file,
                     "a CSV file of elements: WW[,DWELL_MS[,OFF_MS]] per line")
        ->type_name("CSV");
    command->add_option("--dwell", multi->dwellMs, "the dwell time of elements that give none, ms")
        ->capture_default_str();
    command->add_option("--off", multi->offMs, "the off time of elements that give none, ms")
        ->capture_default_str();
    AddScanOptions(*command, *multi, true);
    command->footer(kScanFooter);
}

} // namespace tarvexctl
