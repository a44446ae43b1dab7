#include "FaultSpec.h"

#include "WholeNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

namespace tarvex::sim {
namespace {

std::optional<double> Probability(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || !(value >= 0.0 && value <= 1.0))
        return std::nullopt;
    return value;
}

std::string FaultNames() {
    std::string names;
    for (int i = static_cast<int>(Fault::DropAck); i <= static_cast<int>(Fault::Silent); ++i)
        names += std::string(i == static_cast<int>(Fault::DropAck) ? "" : ", ") +
                 FaultName(static_cast<Fault>(i));
    return names;
}

bool Refuse(std::string& why, std::string reason) {
    why = std::move(reason);
    return false;
}

// Takes one KEY=VALUE item into `rule`; false with the reason otherwise.
bool TakeItem(const std::string& item, FaultRule& rule, std::string& why) {
    const auto eq = item.find('=');
    if (eq == std::string::npos)
        return Refuse(why, "'" + item + "' is not KEY=VALUE");
    const std::string key = item.substr(0, eq);
    const std::string value = item.substr(eq + 1);
    if (key == "cmd") {
        rule.cmdID = WholeNumber<std::uint16_t>(value, 0, 0xFFFF);
        return rule.cmdID || Refuse(why, "cmd must be a command id from 0 to 65535");
    }
    if (key == "count") {
        using Int = std::numeric_limits<int>;
        const auto count = WholeNumber<int>(value, Int::min(), Int::max());
        rule.count = count.value_or(0);
        return count || Refuse(why, "count must be a whole number (negative: every exchange)");
    }
    if (key == "rate") {
        const auto rate = Probability(value);
        rule.rate = rate.value_or(0.0);
        return rate || Refuse(why, "rate must be a probability from 0 to 1");
    }
    if (key == "delay") {
        const auto delay = WholeNumber<std::uint32_t>(value, 0, kLongestFaultDelayMs);
        rule.delayMs = delay.value_or(0);
        return delay || Refuse(why, "delay must be whole milliseconds from 0 to " +
                                        std::to_string(kLongestFaultDelayMs));
    }
    return Refuse(why, "unknown key '" + key + "' (cmd, count, rate or delay)");
}

} // namespace

std::optional<FaultRule> ParseFaultSpec(const std::string& spec, std::string& error) {
    std::stringstream parts(spec);
    std::string item;
    std::getline(parts, item, ',');
    const auto fault = ParseFault(item);
    std::string why;
    if (!fault || *fault == Fault::None) {
        why = "unknown fault '" + item + "' (" + FaultNames() + ")";
    } else {
        FaultRule rule;
        rule.fault = *fault;
        bool good = true;
        while (good && std::getline(parts, item, ','))
            good = TakeItem(item, rule, why);
        if (good)
            return rule;
    }
    error = "bad fault spec '" + spec + "': " + why;
    return std::nullopt;
}

std::optional<std::uint32_t> ParseSeed(const std::string& text, std::string& error) {
    auto seed = WholeNumber<std::uint32_t>(text, 0, std::numeric_limits<std::uint32_t>::max());
    if (!seed)
        error = "bad seed '" + text + "': a whole number from 0 to 4294967295 is needed";
    return seed;
}

} // namespace tarvex::sim
