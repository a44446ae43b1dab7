// config export|import and firmware update: the long transfers, with a progress bar.
#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "Progress.h"
#include "Report.h"
#include "Trace.h"
#include "control/Preconditions.h"
#include "files/ConfigFile.h"
#include "files/FirmwareUpdater.h"

#include <filesystem>
#include <string_view>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarvexctl {

using namespace tarvex;

namespace {

constexpr const char* kPowerCycle = "power-cycle the laser for it to take effect";

bool IsWritableDirectory(const std::filesystem::path& directory) {
    if (!std::filesystem::is_directory(directory))
        return false;
#if defined(_WIN32)
    constexpr int kWriteAccess = 2;
    return ::_waccess(directory.c_str(), kWriteAccess) == 0;
#else
    return ::access(directory.c_str(), W_OK) == 0;
#endif
}

// The controller's own trace lines while it lives: they say why a transfer failed.
class TraceLines {
public:
    TraceLines()
        : previous_(SetTraceSink([this](std::string_view line) { lines_.emplace_back(line); })) {}
    ~TraceLines() { SetTraceSink(std::move(previous_)); }
    TraceLines(const TraceLines&) = delete;
    TraceLines& operator=(const TraceLines&) = delete;
    bool Contains(std::string_view text) const {
        for (const auto& line : lines_)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

private:
    std::vector<std::string> lines_;
    TraceSink previous_;
};

KTarvexController::TransferProgress ShowOn(Progress& progress) {
    return [&progress](std::size_t done, std::size_t total) {
        progress.Update(total ? 100.0 * static_cast<double>(done) / static_cast<double>(total) : 0,
                        Format("%zu of %zu records", done, total));
    };
}

void Export(Context& context, const std::string& file) {
    const std::filesystem::path path(file);
    const auto directory = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    if (!IsWritableDirectory(directory))
        throw Failure(Exit::Error, "cannot write " + file, "name a file in a writable directory");
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    laser.Check(control::Preconditions(c).ForConfigTransfer(), "export the configuration");
    Progress progress(context.Out(), laser.GetClock(), "export");
    if (!c.exportConfig(path, ShowOn(progress)))
        laser.Fail("hand out its configuration");
    progress.Finish();
    context.Out().Result(Json::Object().Set("exported", file).Set("bytes", kConfigFileSize),
                         "Exported the configuration to " + file + ".");
}

void Import(Context& context, const std::string& file) {
    ConfigFile config;
    if (!std::filesystem::exists(file))
        throw Failure(Exit::NotFound, "no such file: " + file);
    if (const char* error = ReadConfigFile(file, config))
        throw Failure(Exit::Refused, file + " is no configuration file a laser takes: " + error,
                      "export one with 'tarvexctl config export FILE'");
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    laser.Check(control::Preconditions(c).ForConfigTransfer(), "import the configuration");
    Progress progress(context.Out(), laser.GetClock(), "import");
    TraceLines trace;
    if (!c.importConfig(file, ShowOn(progress))) {
        if (trace.Contains("Model number or serial number mismatched"))
            throw Failure(Exit::Refused,
                          file + " belongs to another laser (model or serial number)",
                          "import the file exported from this laser");
        laser.Fail("take the configuration");
    }
    progress.Finish();
    context.Out().Result(Json::Object().Set("imported", file).Set("power_cycle", true),
                         "Imported the configuration from " + file + "; " + kPowerCycle + ".");
}

void UpdateFirmware(Context& context, const std::string& file) {
    if (!std::filesystem::exists(file))
        throw Failure(Exit::NotFound, "no such file: " + file);
    Session& laser = context.Laser();
    KTarvexController& c = laser.Controller();
    if (!FirmwareUpdater::LinkCarriesUpdates(c.GetTransportType()))
        throw Failure(Exit::Refused, "a firmware update cannot go over UDP",
                      "connect the laser with --port or --ftdi");
    const Output out = context.Out();
    out.Note("Updating the firmware: do not switch the laser off or disconnect it; Ctrl-C waits "
             "for the update to end.");
    // A half-written image is worse than a finished one: interrupts are held off.
    InterruptScope holdInterrupts;
    Progress progress(out, laser.GetClock(), "update");
    bool erasing = false;
    FirmwareUpdater updater(c, [&progress, &erasing](const FirmwareUpdateProgress& p) {
        const bool nowErasing = p.stage == FirmwareUpdateProgress::Stage::Erasing;
        if (erasing && !nowErasing)
            progress.Restart(); // writing goes at its own pace
        erasing = nowErasing;
        if (nowErasing)
            progress.Update(0, "erasing flash");
        else
            progress.Update(p.maximum ? 100.0 * static_cast<double>(p.value) /
                                            static_cast<double>(p.maximum)
                                      : 0,
                            Format("%zu of %zu records", p.value, p.maximum));
    });
    const FirmwareUpdateResult result = updater.UpdateFromFile(file);
    progress.Finish();
    switch (result.outcome) {
    case FirmwareUpdateOutcome::Success:
        break;
    case FirmwareUpdateOutcome::CannotOpen:
    case FirmwareUpdateOutcome::NotAnUpdate:
    case FirmwareUpdateOutcome::InvalidFile:
    case FirmwareUpdateOutcome::NotSupported:
        throw Failure(Exit::Refused, file + ": " + result.message,
                      "nothing was sent; the file's name says what it updates");
    case FirmwareUpdateOutcome::StartFailed:
        laser.Fail("start the update");
    case FirmwareUpdateOutcome::NotReady:
    case FirmwareUpdateOutcome::TransferFailed:
        throw Failure(Exit::LaserFault, result.message,
                      "run the update again before switching the laser off");
    }
    out.Result(
        Json::Object().Set("updated", file).Set("records", result.records).Set("power_cycle", true),
        Format("Updated the firmware (%zu records); %s.", result.records, kPowerCycle));
}

} // namespace

void AddMaintenanceCommands(CLI::App& app, CommandSet& set, Context& context) {
    CLI::App* config = set.Add(app, "config", "The laser's configuration (.tcfg files)");
    config->require_subcommand(1);
    auto file = std::make_shared<std::string>();
    auto* command = set.Add(*config, "export",
                            "Save the laser's configuration to FILE (the laser disarmed); an "
                            "existing FILE is replaced only once the new one is complete",
                            [&context, file] { Export(context, *file); });
    command->add_option("file", *file, "the .tcfg file to write")->required()->type_name("FILE");
    command->footer("JSON: {\"exported\": FILE, \"bytes\"}");
    command = set.Add(*config, "import",
                      "Write FILE's configuration into the laser it was exported from (the laser "
                      "disarmed); then power-cycle the laser",
                      [&context, file] { Import(context, *file); });
    command->add_option("file", *file, "the .tcfg file exported from this laser")
        ->required()
        ->type_name("FILE");
    command->footer("JSON: {\"imported\": FILE, \"power_cycle\": true}");

    CLI::App* firmware = set.Add(app, "firmware", "The laser's firmware");
    firmware->require_subcommand(1);
    command = set.Add(*firmware, "update",
                      "Update the controller's or the motion board's firmware from a .ufp file "
                      "(its name says which); then power-cycle the laser",
                      [&context, file] { UpdateFirmware(context, *file); });
    command->add_option("file", *file, "the .ufp update file")->required()->type_name("FILE");
    command->footer("Interrupts wait for the update to end. JSON: {\"updated\": FILE, "
                    "\"records\", \"power_cycle\": true}");
}

} // namespace tarvexctl
