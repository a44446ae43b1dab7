#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

struct ComPortEntry {
    // What the port opens by: a device path on POSIX, "COM12" on Windows.
    std::string name;
    // The friendly name, "Description (name)".
    std::string description;
};

// A port as enumerated, before selection. An empty name is taken from the friendly name's
// "(COMn)" suffix.
struct RawComPort {
    std::string name;
    std::string friendlyName;
};

// The number n of a friendly name ending in "(COMn)", the last such group counting. None when
// the name has no "(COM", or what follows it is not a positive decimal and ")".
std::optional<int> ParseComPortNumber(std::string_view friendlyName);

// Keeps the ports whose friendly name contains `filter` (case-sensitive; empty keeps all) and
// moves `preferredPort` (empty: none) to the front by swapping it with the first entry.
// Unnamed ports whose friendly name carries no port number are dropped.
std::vector<ComPortEntry> SelectComPorts(const std::vector<RawComPort>& ports,
                                         std::string_view preferredPort, std::string_view filter);

// The serial ports present on this machine, selected as SelectComPorts does.
std::vector<ComPortEntry> EnumerateComPorts(std::string_view preferredPort = {},
                                            std::string_view filter = {});

} // namespace tarvex
