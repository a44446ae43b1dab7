#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

namespace tarvexctl {

// The wavelength units a command line names: "um" (also "µm", "micron", "microns") for a
// wavelength in microns, "cm-1" (also "wavenumber") for a wavenumber.
CLI::Validator WavelengthUnit();
// The laser's unit code of a name the validator accepted.
std::uint8_t UnitCode(const std::string& name);
// "um" or "cm-1".
const char* UnitName(std::uint8_t code);

// The required positional unit of a command, and its optional --qcl N (1 to 4; 0 when left out:
// the laser chooses).
void AddUnitArgument(CLI::App& command, std::string& unit);
void AddQclOption(CLI::App& command, unsigned& qcl, const std::string& description);

} // namespace tarvexctl
