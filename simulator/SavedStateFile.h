#pragma once

#include "state/SavedStateSimState.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tarvex::sim {

// The simulated laser's saved states as a text file, so that favorites outlive a restart of
// tarvex-sim:
//
//   tarvex-sim saved states 1
//   slot 3 Methane line          one block per slot in use; the name runs to the line's end
//   laser-params 0101...         then each part of the saved state as the hex bytes of its
//   qcl-params-1 01...           wire record
//   ...
//
// Parsing says what is wrong with which line; a file that does not parse is left untouched.
std::string FormatSavedStates(const SavedStateSlots& slots);
std::optional<SavedStateSlots> ParseSavedStates(const std::string& text, std::string& error);

// Writes through a temporary file, so that an interrupted write leaves the old file whole.
bool WriteSavedStateFile(const std::filesystem::path& file, const SavedStateSlots& slots,
                         std::string& error);
std::optional<SavedStateSlots> ReadSavedStateFile(const std::filesystem::path& file,
                                                  std::string& error);

class SimLaser;
// Gives `laser` the saved states of `file` when it exists (false, with the reason, when it does
// not parse) and has every later change of a slot written back there.
bool KeepSavedStatesIn(SimLaser& laser, const std::filesystem::path& file, std::string& error);

} // namespace tarvex::sim
