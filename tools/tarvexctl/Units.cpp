#include "Units.h"

#include "records/LaserRecords.h"

#include <algorithm>
#include <array>

namespace tarvexctl {
namespace {

constexpr std::array<const char*, 4> kMicrons = {"um", "\u00b5m", "micron", "microns"};
constexpr std::array<const char*, 3> kWavenumber = {"cm-1", "cm^-1", "wavenumber"};

template <std::size_t N> bool Among(const std::array<const char*, N>& names, const std::string& s) {
    return std::find(names.begin(), names.end(), s) != names.end();
}

} // namespace

CLI::Validator WavelengthUnit() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (Among(kMicrons, text) || Among(kWavenumber, text))
                return {};
            return "unknown unit '" + text + "': use um (a wavelength) or cm-1 (a wavenumber)";
        },
        "um|cm-1");
}

std::uint8_t UnitCode(const std::string& name) {
    return Among(kWavenumber, name) ? tarvex::units::kWavenumber : tarvex::units::kMicrons;
}

const char* UnitName(std::uint8_t code) {
    return code == tarvex::units::kWavenumber ? "cm-1" : "um";
}

void AddUnitArgument(CLI::App& command, std::string& unit) {
    command.add_option("unit", unit, "um or cm-1")->required()->check(WavelengthUnit());
}

void AddQclOption(CLI::App& command, unsigned& qcl, const std::string& description) {
    command.add_option("--qcl", qcl, description + " (default: the laser chooses)")
        ->type_name("N")
        ->check(CLI::Range(1, 4));
}

} // namespace tarvexctl
