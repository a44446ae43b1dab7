#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace tarvexctl {

// Checks of numeric options that say plainly what is wrong. Each refuses text that is not a
// number, and "nan" and "inf" with it: they would pass a bare comparison and then turn into
// garbage when converted to milliseconds or sent to the laser.

// Any finite number (a wavelength, a wavenumber).
CLI::Validator FiniteNumber();
// A finite number above 0 and at most `most`; `unit`, when given, follows the limit in the
// message ("at most 86400 seconds").
CLI::Validator PositiveNumberUpTo(double most, const std::string& unit = {});
// A whole number from 0 to 2147483647, written in decimal digits alone.
CLI::Validator Index();

} // namespace tarvexctl
