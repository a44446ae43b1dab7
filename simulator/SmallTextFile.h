#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tarvex::sim {

// Profiles and saved states run to a few kilobytes; this leaves them room and keeps a wrong file
// from filling memory.
inline constexpr std::uintmax_t kLargestSmallTextFile = 1u << 20;

// Reads a whole file that the user named to the simulator. Anything but a regular file of at most
// kLargestSmallTextFile bytes is refused before it is read (a FIFO would block for good, a device
// such as /dev/zero would never end, a directory holds no text), with the reason in `error`.
std::optional<std::string> ReadSmallTextFile(const std::filesystem::path& file, std::string& error);

} // namespace tarvex::sim
