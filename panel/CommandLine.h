#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace tarvex::panel {

// The port named after "-port:": a device path, or a number that picks the n-th port of the
// machine's list (1 first), as the connection search would walk it.
struct PortOverride {
    QString device; // a path, when one was given
    int number = 0;
};

// What the panel's command line sets.
struct CommandLine {
    int runMode = 0; // operating_mode: 0 normal, 3 manufacturing, 4 demo, 7 Ethernet test
    bool debug = false;
    std::optional<PortOverride> port;
    std::optional<std::uint32_t> baud;
    bool galvo = false;
    bool developer = false; // skips the scan start's readiness checks
};

// Parses the arguments after the program's name. Every argument is tested against every rule,
// so one argument can match more than one and later ones override earlier ones; arguments that
// match nothing are ignored.
CommandLine ParseArguments(const QStringList& arguments);

} // namespace tarvex::panel
