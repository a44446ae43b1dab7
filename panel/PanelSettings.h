#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace tarvex::panel {

// The panel's persistent settings: the keys of the group "TarvexControl" in the default
// QSettings of the organisation and application (user scope, native format).
struct PanelSettings {
    int transport = 1;                     // "UseTransport": 1 serial port, 2 UDP
    std::uint32_t udpAddress = 0x0A0A0A0A; // "UDPAddress": 10.10.10.10
    std::uint16_t udpPort = 1234;          // "UDPPort"
    bool loggingEnabled = false;           // "LoggingEnabled"
    std::optional<QString> logFileName;    // "LogFileName"
    std::optional<QString> faultFileDir;   // "FaultFileDir"

    // Names the organisation and application whose settings these are.
    static void SetApplicationNames();
    // The stored values, with the defaults above for absent keys.
    static PanelSettings Read();
    // Writes all six keys at once (absent names as empty strings).
    void Write() const;
};

} // namespace tarvex::panel
