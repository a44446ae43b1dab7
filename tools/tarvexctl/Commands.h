#pragma once

#include "Output.h"
#include "Session.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarvexctl {

// What every subcommand shares: the global options and the laser, connected on first use.
struct Context {
    ConnectionOptions connection;
    std::string trace;
    std::string commandLine; // for the trace file
    bool json = false;
    bool quiet = false;

    Output Out() const { return Output(json, quiet); }
    Session& Laser() {
        if (!session)
            session = Session::Open(connection, trace, commandLine);
        return *session;
    }
    std::unique_ptr<Session> session;
};

// The subcommands and what each runs when it is the one chosen.
class CommandSet {
public:
    CLI::App* Add(CLI::App& parent, const std::string& name, const std::string& description,
                  std::function<void()> action = {});
    // Runs the deepest subcommand the command line chose; false when it has no action.
    bool RunChosen() const;

private:
    std::vector<std::pair<CLI::App*, std::function<void()>>> commands_;
};

void AddInfoCommands(CLI::App& app, CommandSet& set, Context& context);
void AddStatusCommands(CLI::App& app, CommandSet& set, Context& context);
void AddControlCommands(CLI::App& app, CommandSet& set, Context& context);
void AddScanCommands(CLI::App& app, CommandSet& set, Context& context);
void AddFavoriteCommands(CLI::App& app, CommandSet& set, Context& context);
void AddMaintenanceCommands(CLI::App& app, CommandSet& set, Context& context);
void AddDemoCommand(CLI::App& app, CommandSet& set, Context& context);

} // namespace tarvexctl
