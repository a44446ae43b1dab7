#pragma once

#include "LaserCache.h"

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <string>

namespace tarvex {

// The parameter log: a tab-separated text file a spreadsheet opens, one line per status tick
// with the time and each QCL's temperature, TEC current and voltage and drive current, then the
// case and board temperatures. A header line names the columns when the file is new.

// The column names for `qcls` QCLs, ending in "\t\n".
std::string ParameterLogHeader(std::size_t qcls);

// One line from the cached readbacks (QCL readbacks, TEC measurements, case and board
// temperatures of the test laser information) of
// the first `qcls` QCLs at `localTime`, ending in "\t\n".
std::string ParameterLogLine(const LaserCache& cache, std::size_t qcls, const std::tm& localTime);

// Appends the line, after the header when the file does not exist yet. False when the file
// cannot be written; the next append tries again.
bool AppendParameterLog(const std::filesystem::path& path, const LaserCache& cache,
                        std::size_t qcls, const std::tm& localTime);

} // namespace tarvex
