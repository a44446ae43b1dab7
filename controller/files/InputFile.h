#pragma once

#include <filesystem>
#include <fstream>

namespace tarvex {

enum class InputFile { Opened, Missing, NotRegular, Unreadable };

// Opens a file the user chose for reading, refusing anything but a regular file (or a link to
// one) before it is opened: a FIFO would block the reader for good and a device such as
// /dev/zero would never end.
InputFile OpenInputFile(const std::filesystem::path& path, std::ifstream& in);

} // namespace tarvex
