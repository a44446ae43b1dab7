#include "ControlLine.h"

#include "FaultSpec.h"
#include "WholeNumber.h"

#include <optional>
#include <sstream>

namespace tarvex::sim {
namespace {

// Which of two words `text` is; nothing when it is neither.
std::optional<bool> ParseChoice(const std::string& text, const char* yes, const char* no) {
    if (text == yes)
        return true;
    if (text == no)
        return false;
    return std::nullopt;
}

// The laser's two-way hardware controls.
struct Switch {
    const char* verb;
    const char* on;
    const char* off;
    void (*set)(SimLaser&, bool);
};
constexpr Switch kSwitches[] = {
    {"interlock", "closed", "open", [](SimLaser& l, bool v) { l.SetInterlock(v); }},
    {"key", "on", "off", [](SimLaser& l, bool v) { l.SetKeySwitch(v); }},
    {"pointer", "fitted", "absent", [](SimLaser& l, bool v) { l.SetPointerFitted(v); }},
    {"fault-cause", "present", "gone",
     [](SimLaser& l, bool v) { l.Modify([v](SimState& s) { s.faultCausePresent = v; }); }},
};

// The laser's hardware controls; nothing when `verb` is none of them, false when its argument is
// not one it takes.
std::optional<bool> HardwareControl(const std::string& verb, const std::string& argument,
                                    std::stringstream& rest, SimLaser& laser) {
    for (const Switch& control : kSwitches) {
        if (verb != control.verb)
            continue;
        const auto on = ParseChoice(argument, control.on, control.off);
        if (on)
            control.set(laser, *on);
        return on.has_value();
    }
    if (verb == "error" || verb == "warning") {
        const auto code =
            WholeNumber<std::uint16_t>(argument, 0, 0xFFFF, NumberBase::kDecimalOrHex);
        if (code && verb == "error")
            laser.InjectError(*code);
        else if (code)
            laser.InjectWarning(*code);
        return code.has_value();
    }
    if (verb == "temp-warning") {
        std::string state;
        rest >> state;
        const auto which = argument == "pcb" ? std::optional(3) : WholeNumber(argument, 1, 2);
        const auto on = ParseChoice(state, "on", "off");
        if (!which || !on)
            return false;
        laser.SetTemperatureWarning(*which, *on);
        return true;
    }
    return std::nullopt;
}

} // namespace

ControlResult ApplyControlLine(const std::string& line, SimLaser& laser, FaultInjector& faults,
                               std::string& error) {
    std::stringstream words(line);
    std::string verb, argument;
    words >> verb >> argument;
    bool understood = true;
    if (verb == "quit") {
        return ControlResult::kQuit;
    } else if (verb == "fault") {
        auto rule = ParseFaultSpec(argument, error);
        if (!rule)
            return ControlResult::kRefused;
        faults.Add(*rule);
    } else if (verb == "clear-faults") {
        faults.Clear();
    } else if (verb == "status") {
        const auto mask = WholeNumber<std::uint32_t>(argument, 0, 0xFFFFFFFF, NumberBase::kHex);
        if (mask)
            laser.SetStatusMask(*mask);
        understood = mask.has_value();
    } else if (const auto done = HardwareControl(verb, argument, words, laser)) {
        understood = *done;
    } else if (!verb.empty()) {
        error = "unknown command '" + verb + "'";
        return ControlResult::kRefused;
    }
    if (!understood) {
        error = "bad setting, nothing changed: " + line;
        return ControlResult::kRefused;
    }
    return ControlResult::kApplied;
}

} // namespace tarvex::sim
