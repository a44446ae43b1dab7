#include "Commands.h"

namespace tarvexctl {

CLI::App* CommandSet::Add(CLI::App& parent, const std::string& name, const std::string& description,
                          std::function<void()> action) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->fallthrough();
    commands_.emplace_back(command, std::move(action));
    return command;
}

bool CommandSet::RunChosen() const {
    // Registered parents first, so the last parsed one is the deepest.
    const std::function<void()>* chosen = nullptr;
    for (const auto& [command, action] : commands_)
        if (command->parsed())
            chosen = &action;
    if (chosen == nullptr || !*chosen)
        return false;
    (*chosen)();
    return true;
}

} // namespace tarvexctl
