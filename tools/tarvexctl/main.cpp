// tarvexctl: the whole Tarvex laser from a shell, a cron job or a CI rig.
#include "Commands.h"
#include "ExitStatus.h"

#include <cstdio>

namespace tarvexctl {

const char* ClassName(Exit status) {
    switch (status) {
    case Exit::Ok:
        return "ok";
    case Exit::Error:
        return "error";
    case Exit::Usage:
        return "usage";
    case Exit::NotFound:
        return "not-found";
    case Exit::Refused:
        return "refused";
    case Exit::LaserFault:
        return "laser-fault";
    case Exit::LinkLost:
        return "link-lost";
    case Exit::Interrupted:
        return "interrupted";
    }
    return "error";
}

namespace {

constexpr const char* kFooter = R"(Exit status:
  0    success
  1    an error on this computer (a file could not be written)
  2    usage: the command line is wrong; nothing was sent to the laser
  3    not found: no laser answered, or the named favorite or file does not exist
  4    refused: a precondition (interlock, key switch, TECs, armed, tuned, tuning range,
       QCL, ...) refused the operation before anything was sent
  5    laser fault: the laser refused or failed the operation, reports a fault, or did not
       finish in time
  6    link lost: the laser stopped answering
  130  interrupted (Ctrl-C stops a tune or scan the command started, and nothing else)
  A failure ends with one line on standard error: what went wrong; what to do.

Output: the result on standard output, as one JSON document with --json (with
'status --watch', one document per line); notes, progress and failures on standard error.
With --json a failure gives {"error": {"class", "exit_status", "message", "hint"}}, the
class one of usage, not-found, refused, laser-fault, link-lost, interrupted, error.
Each command's --help shows its document's fields.

Trace file (--trace FILE, appended): a line per packet sent or received:
  2026-12-07T10:15:30.123 TX StatusMask seq=12 read 00 00 03 01 00 0C 00 00 00 0A 5B 21
the local time, TX or RX, the command's name, its sequence number, the packet's kind (read,
write, execute, ack, nak, response; raw for firmware frames; timeout for a read that got
nothing), then the bytes in hexadecimal. Lines starting with '#' are notes.

Environment:
  TARVEXCTL_CONNECTION  connection options used when the command line gives none,
                        e.g. "--udp 10.10.10.10" or "--port /dev/ttyUSB0"
  TARVEX_TRACE          the controller's diagnostic trace: "stderr" or a file)";

// "tarvexctl favorites save --help": the help of the subcommand the command line reached.
std::string HelpFor(const CLI::App& app) {
    std::string command = "tarvexctl";
    for (const CLI::App* current = &app;;) {
        const auto chosen = current->get_subcommands();
        if (chosen.empty())
            break;
        current = chosen.front();
        command += " " + current->get_name();
    }
    return "see '" + command + " --help'";
}

std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i)
        line += (i ? " " : "") + std::string(argv[i]);
    return line;
}

int Report(const Context& context, Exit status, const std::string& what, const std::string& hint) {
    std::fprintf(stderr, "tarvexctl: %s%s%s\n", what.c_str(), hint.empty() ? "" : "; ",
                 hint.c_str());
    if (context.json && !Output::ResultWritten()) {
        Json error = Json::Object()
                         .Set("class", ClassName(status))
                         .Set("exit_status", static_cast<int>(status))
                         .Set("message", what)
                         .Set("hint", hint);
        std::printf("%s\n", Json::Object().Set("error", std::move(error)).Dump().c_str());
    }
    return static_cast<int>(status);
}

} // namespace
} // namespace tarvexctl

int main(int argc, char** argv) {
    using namespace tarvexctl;
    Context context;
    context.commandLine = CommandLine(argc, argv);
    CLI::App app("Control the Tarvex laser from a shell: one subcommand per job, over the same "
                 "controller library and the same checks as the SDK.",
                 "tarvexctl");
    app.require_subcommand(1);
    app.footer(kFooter);
    AddConnectionOptions(app, context.connection);
    app.add_flag("--json", context.json, "the result as one JSON document on standard output")
        ->group("Output");
    app.add_flag("-q,--quiet", context.quiet, "no notes and no progress on standard error")
        ->group("Output");
    app.add_option("--trace", context.trace,
                   "append every packet sent and received to FILE (format below)")
        ->type_name("FILE")
        ->group("Output");

    CommandSet commands;
    AddInfoCommands(app, commands, context);
    AddStatusCommands(app, commands, context);
    AddControlCommands(app, commands, context);
    AddScanCommands(app, commands, context);
    AddFavoriteCommands(app, commands, context);
    AddMaintenanceCommands(app, commands, context);
    AddDemoCommand(app, commands, context);

    try {
        app.parse(argc, argv);
        context.connection.Settle();
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        return Report(context, Exit::Usage, error.what(), HelpFor(app));
    }
    try {
        commands.RunChosen();
        return 0;
    } catch (const Failure& failure) {
        return Report(context, failure.status, failure.what(), failure.hint);
    } catch (const std::exception& error) {
        return Report(context, Exit::Error, error.what(), "");
    }
}
