#include "NumberChecks.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace tarvexctl {
namespace {

std::optional<double> Finite(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string NotANumber(const std::string& text) {
    return "'" + text + "' is not a number";
}

} // namespace

CLI::Validator FiniteNumber() {
    return CLI::Validator(
        [](std::string& text) { return Finite(text) ? std::string() : NotANumber(text); },
        "NUMBER");
}

CLI::Validator PositiveNumberUpTo(double most, const std::string& unit) {
    return CLI::Validator(
        [most, unit](std::string& text) -> std::string {
            const auto value = Finite(text);
            if (!value)
                return NotANumber(text);
            if (*value <= 0 || *value > most) {
                char limit[32];
                std::snprintf(limit, sizeof limit, "%g", most);
                return text + " is out of range: above 0 and at most " + limit +
                       (unit.empty() ? "" : " " + unit);
            }
            return {};
        },
        "NUMBER");
}

CLI::Validator Index() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            int value = 0;
            const char* end = text.data() + text.size();
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error != std::errc{} || stop != end || value < 0)
                return "'" + text + "' is not an index (a whole number from 0)";
            return {};
        },
        "INDEX");
}

} // namespace tarvexctl
