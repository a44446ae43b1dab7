#include "transport/ComPortEnumeration.h"

#include "transport/SerialPortList.h"

#include <algorithm>
#include <charconv>

namespace tarvex {
namespace {

// The device-setup enumeration stops after this many devices.
constexpr std::size_t kMaxPorts = 100;

} // namespace

std::optional<int> ParseComPortNumber(std::string_view friendlyName) {
    static constexpr std::string_view kMarker = "(COM";
    const auto at = friendlyName.rfind(kMarker);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = friendlyName.substr(at + kMarker.size());
    if (rest.size() < 2 || rest.back() != ')')
        return std::nullopt;
    rest.remove_suffix(1);
    int number = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
    if (error != std::errc{} || end != rest.data() + rest.size() || number <= 0)
        return std::nullopt;
    return number;
}

std::vector<ComPortEntry> SelectComPorts(const std::vector<RawComPort>& ports,
                                         std::string_view preferredPort, std::string_view filter) {
    std::vector<ComPortEntry> selected;
    const std::size_t considered = std::min(ports.size(), kMaxPorts);
    for (std::size_t i = 0; i < considered; ++i) {
        const RawComPort& port = ports[i];
        if (port.friendlyName.find(filter) == std::string::npos)
            continue;
        std::string name = port.name;
        if (name.empty()) {
            const auto number = ParseComPortNumber(port.friendlyName);
            if (!number)
                continue;
            name = "COM" + std::to_string(*number);
        }
        selected.push_back({std::move(name), port.friendlyName});
    }
    if (!preferredPort.empty()) {
        auto found = std::find_if(selected.begin(), selected.end(),
                                  [&](const ComPortEntry& e) { return e.name == preferredPort; });
        if (found != selected.end() && found != selected.begin())
            std::iter_swap(found, selected.begin());
    }
    return selected;
}

std::vector<ComPortEntry> EnumerateComPorts(std::string_view preferredPort,
                                            std::string_view filter) {
    std::vector<RawComPort> raw;
    for (auto& port : ListSerialPorts())
        raw.push_back({std::move(port.name), std::move(port.friendlyName)});
    return SelectComPorts(raw, preferredPort, filter);
}

} // namespace tarvex
