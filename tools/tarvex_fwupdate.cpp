// Updates the firmware of a laser from the command line: the same update the panel runs, with a
// progress line instead of a dialog.
//
//   tarvex-fwupdate --port /dev/ttyUSB0 [--baud 921600] Tarvex_PROM_prod_1.9.ufp
//   tarvex-fwupdate --sim Tarvex_PROM_prod_1.9.ufp     (into the built-in simulated laser)
#include "FaultInjector.h"
#include "KTarvexController.h"
#include "PtyAttachment.h"
#include "SimLaser.h"
#include "SimLink.h"
#include "files/FirmwareUpdater.h"
#include "transport/KWinComPort.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace tarvex;

namespace {

struct Options {
    std::string port;
    std::uint32_t baud = 921600;
    bool simulated = false;
    std::string file;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" && i + 1 < argc)
            options.port = argv[++i];
        else if (arg == "--baud" && i + 1 < argc)
            options.baud = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (arg == "--sim")
            options.simulated = true;
        else if (!arg.empty() && arg[0] != '-' && options.file.empty())
            options.file = arg;
        else
            return false;
    }
    return !options.file.empty() && (options.simulated != !options.port.empty());
}

// The built-in simulated laser behind a pseudo-terminal, erasing its flash quickly.
struct SimulatedLaser {
    sim::SimLaser model{SystemClock::Instance()};
    sim::FaultInjector faults;
    sim::SimLink link{model, faults};
    sim::PtyAttachment pty{link, SystemClock::Instance()};
    SimulatedLaser() {
        model.Modify([](sim::SimState& s) { s.config.firmwareUpdate.eraseMs = 200; });
    }
};

// One line, redrawn when the stage or the whole percentage changes.
void ShowProgress(const FirmwareUpdateProgress& progress) {
    static int shown = -1;
    int percent = -1;
    if (progress.stage == FirmwareUpdateProgress::Stage::Writing)
        percent = progress.maximum ? static_cast<int>(100 * progress.value / progress.maximum) : 0;
    if (percent == shown && percent >= 0)
        return;
    shown = percent;
    if (percent < 0)
        std::printf("\rErasing Flash ...");
    else
        std::printf("\rWriting Flash... %3d%% (%zu of %zu records)", percent, progress.value,
                    progress.maximum);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: tarvex-fwupdate (--port DEVICE [--baud N] | --sim) FILE.ufp\n");
        return 2;
    }

    std::unique_ptr<SimulatedLaser> simulated;
    if (options.simulated) {
        simulated = std::make_unique<SimulatedLaser>();
        if (!simulated->pty.IsOpen()) {
            std::fprintf(stderr, "tarvex-fwupdate: no pseudo-terminal available\n");
            return 1;
        }
        options.port = simulated->pty.SlavePath();
    }

    KTarvexController controller(ControllerProfile::Panel());
    auto port = std::make_unique<KWinComPort>();
    if (port->Open(options.port, options.baud, 'N', 8, 1, true, true) != 0) {
        std::fprintf(stderr, "tarvex-fwupdate: cannot open %s\n", options.port.c_str());
        return 1;
    }
    port->SetTimeouts(2000, 0);
    controller.AttachTransport(std::move(port));
    if (!controller.ReadInfoSysInfo() || !controller.ReadFwVersion()) {
        std::fprintf(stderr, "tarvex-fwupdate: no laser answers on %s\n", options.port.c_str());
        return 1;
    }
    const FirmwareVersion fw = controller.ControllerFirmware();
    std::printf("Controller firmware %u.%u.%u\n", fw.major, fw.minor, fw.patch);

    FirmwareUpdater updater(controller, ShowProgress);
    const FirmwareUpdateResult result = updater.UpdateFromFile(options.file);
    std::printf("\n%s\n", result.message.c_str());
    return result.Succeeded() ? 0 : 1;
}
