#include "Session.h"

#include "Clock.h"
#include "EmbeddedLaser.h"
#include "ExitStatus.h"
#include "InProcessTransport.h"
#include "NumberChecks.h"
#include "control/FaultCodes.h"
#include "transport/KWinComPort.h"
#include "transport/PacketTrace.h"
#include "transport/PortProvider.h"
#include "transport/UdpSocket.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>

namespace tarvexctl {

using namespace tarvex;

namespace {

constexpr std::uint16_t kDefaultUdpPort = 1234; // the panel's default
constexpr std::uint32_t kProbeTimeoutMs = 2000;
constexpr const char* kCheckLink =
    "check that the laser is on (it needs 30 s to start) and connected, or name it with --port, "
    "--udp, --ftdi or --sim";

std::optional<std::uint32_t> Number(const std::string& text) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end)
        return std::nullopt;
    return value;
}

// A baud rate the port opens at as asked; it would quietly take another for any other.
std::string CheckBaud(const std::string& text) {
    const auto baud = Number(text);
    if (!baud || KWinComPort::EffectiveBaud(*baud) != *baud)
        return text +
               " is not a baud rate the port can take (300, 600, 1200, 2400, 4800, 9600, 19200, "
               "38400, 57600, 115200 or 921600)";
    return {};
}

std::string DottedIpv4(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

// Why an operation was refused, and what to do about it, by refusal.
const char* RefusalHint(control::Refusal refusal) {
    using control::Refusal;
    switch (refusal) {
    case Refusal::TecsNotAtTemperature:
        return "wait until 'tarvexctl status' shows the TECs at temperature";
    case Refusal::LaserNotArmed:
        return "arm it first with 'tarvexctl arm'";
    case Refusal::LaserNotTuned:
        return "tune it first with 'tarvexctl tune VALUE UNIT --wait'";
    case Refusal::InterlockOrKeySwitchOpen:
        return "close the interlock and turn the key switch on";
    case Refusal::WavelengthOutOfRange:
        return "'tarvexctl info' shows the tuning range";
    case Refusal::InvalidQclNumber:
        return "'tarvexctl info' lists the installed QCLs";
    case Refusal::LaserArmed:
        return "disarm it first with 'tarvexctl disarm'";
    case Refusal::NoScanInProgress:
        return "'tarvexctl status' shows what the laser is doing";
    default:
        return "";
    }
}

} // namespace

bool ConnectionOptions::Any() const {
    return !port.empty() || !udp.empty() || ftdi || sim || !simProfile.empty();
}

void ConnectionOptions::Settle() {
    if (ftdiOption)
        ftdi = ftdiOption->count() > 0;
    ftdiOption = nullptr;
}

void AddConnectionOptions(CLI::App& app, ConnectionOptions& options) {
    const std::string group = "Connection (default: search the serial ports)";
    auto* port =
        app.add_option("--port", options.port, "a serial device; tried at 921600 baud, then 115200")
            ->type_name("DEVICE")
            ->group(group);
    app.add_option("--baud", options.baud, "only this baud rate on --port")
        ->type_name("N")
        ->needs(port)
        ->check([](const std::string& text) { return CheckBaud(text); }, "BAUD")
        ->group(group);
    auto* udp =
        app.add_option("--udp", options.udp, "the laser on Ethernet (port 1234 unless given)")
            ->type_name("HOST[:PORT]")
            ->excludes(port)
            ->group(group);
    app.add_option("--bind", options.bind, "the local address to send --udp from")
        ->type_name("ADDRESS")
        ->needs(udp)
        ->group(group);
    options.ftdiOption =
        app.add_option("--ftdi", options.ftdiIndex,
                       "the laser's USB adapters, as the SDK searches them; INDEX: "
                       "only that one (see 'tarvexctl ports')")
            ->expected(0, 1)
            ->type_name("[INDEX]")
            ->check(Index())
            ->excludes(port)
            ->excludes(udp)
            ->group(group);
    auto* sim = app.add_flag("--sim", options.sim, "the built-in simulated laser, in process")
                    ->excludes(port)
                    ->excludes(udp)
                    ->excludes(options.ftdiOption)
                    ->group(group);
    app.add_option("--sim-profile", options.simProfile,
                   "another simulated laser (implies --sim; see simulator/profiles)")
        ->type_name("FILE")
        ->check(CLI::ExistingFile)
        ->excludes(port)
        ->excludes(udp)
        ->excludes(options.ftdiOption)
        ->group(group);
    (void)sim;
}

Clock& SimulationClock() {
    static Clock* const clock = []() -> Clock* {
        const char* speed = std::getenv(kSimSpeedVariable);
        const double factor = speed ? std::strtod(speed, nullptr) : 0;
        if (factor > 0)
            return new ScaledClock(factor);
        return &SystemClock::Instance();
    }();
    return *clock;
}

namespace {

// The variable's options, parsed as on the command line.
const ConnectionOptions& FromEnvironment(ConnectionOptions& options) {
    const char* value = std::getenv(kConnectionVariable);
    if (value == nullptr || *value == '\0')
        return options;
    CLI::App parser;
    AddConnectionOptions(parser, options);
    try {
        parser.parse(value, false);
        options.Settle();
    } catch (const CLI::ParseError& error) {
        throw Failure(Exit::Usage, std::string(kConnectionVariable) + ": " + error.what(),
                      "set it to connection options such as '--udp 10.10.10.10'");
    }
    return options;
}

} // namespace

Session::Session(Clock& clock) : clock_(clock) {}

Session::~Session() = default;

std::unique_ptr<Session> Session::Open(const ConnectionOptions& options, const std::string& trace,
                                       const std::string& commandLine) {
    ConnectionOptions fromEnvironment;
    const ConnectionOptions& chosen = options.Any() ? options : FromEnvironment(fromEnvironment);
    const bool simulated = chosen.sim || !chosen.simProfile.empty();
    std::unique_ptr<Session> session(
        new Session(simulated ? SimulationClock() : SystemClock::Instance()));
    ControllerProfile profile = ControllerProfile::Panel();
    profile.heartbeat = false;
    session->controller_ = std::make_unique<KTarvexController>(profile, &session->clock_);
    if (!trace.empty()) {
        std::string error;
        auto file = PacketTrace::Open(trace, error);
        if (!file)
            throw Failure(Exit::Error, "cannot write the trace file " + trace + ": " + error,
                          "name a file in a writable directory");
        file->Note(commandLine);
        session->controller_->SetTransportWrapper([file](std::unique_ptr<KWinTransport> inner) {
            return PacketTrace::Wrap(file, std::move(inner));
        });
    }
    session->Connect(chosen);
    return session;
}

void Session::Connect(const ConnectionOptions& options) {
    KTarvexController& c = *controller_;
    c.SetProbeTimeoutMs(kProbeTimeoutMs);
    if (options.sim || !options.simProfile.empty()) {
        sim::LaserProfile profile = sim::LaserProfile::Default();
        if (!options.simProfile.empty()) {
            std::string error;
            auto loaded = sim::LaserProfile::Load(options.simProfile, error);
            if (!loaded)
                throw Failure(Exit::Usage, "--sim-profile " + options.simProfile + ": " + error,
                              "see simulator/LaserProfile.cpp for the format");
            profile = std::move(*loaded);
        }
        simulated_ = std::make_unique<sim::EmbeddedLaser>(clock_, std::move(profile));
        link_ = "the built-in simulated laser";
        linkJson_.Set("kind", "sim");
        if (!options.simProfile.empty())
            linkJson_.Set("profile", options.simProfile);
        if (!c.Initialize(std::make_unique<sim::InProcessTransport>(simulated_->link, clock_)))
            throw Failure(Exit::Error, "the built-in simulated laser did not answer");
        return;
    }
    if (options.ftdi) {
        std::optional<int> index;
        if (!options.ftdiIndex.empty())
            index = std::stoi(options.ftdiIndex);
        if (!c.InitializeUsbAdapter(index))
            throw Failure(Exit::NotFound,
                          index ? "no laser answered on USB adapter " + options.ftdiIndex
                                : "no laser answered on any USB adapter",
                          "'tarvexctl ports' lists the adapters; " + std::string(kCheckLink));
        link_ = "USB adapter at " + std::to_string(c.ConnectedBaud()) + " baud";
        linkJson_.Set("kind", "usb").Set("baud", c.ConnectedBaud());
        if (index)
            linkJson_.Set("index", *index);
        return;
    }
    if (!options.udp.empty()) {
        const auto colon = options.udp.rfind(':');
        const std::string host = options.udp.substr(0, colon);
        std::uint16_t port = kDefaultUdpPort;
        if (colon != std::string::npos) {
            const auto number = Number(options.udp.substr(colon + 1));
            if (!number || *number == 0 || *number > 65535)
                throw Failure(Exit::Usage, "--udp " + options.udp + ": not a port number",
                              "write HOST or HOST:PORT");
            port = static_cast<std::uint16_t>(*number);
        }
        std::uint32_t address = 0;
        if (!ResolveIpv4(host.c_str(), address))
            throw Failure(Exit::NotFound, "--udp " + options.udp + ": unknown host",
                          "give the laser's IPv4 address");
        std::uint32_t local = 0;
        if (!options.bind.empty() && !ParseIpv4(options.bind.c_str(), local))
            throw Failure(Exit::Usage, "--bind " + options.bind + ": not an IPv4 address");
        c.SetTransportType(kTransportUdp);
        c.SetUdpAddress(address, port);
        c.SetUdpLocalAddress(local);
        const std::string where = DottedIpv4(address) + ":" + std::to_string(port);
        if (!c.Initialize())
            throw Failure(Exit::NotFound, "no laser answered at " + where, kCheckLink);
        link_ = "UDP " + where;
        linkJson_.Set("kind", "udp").Set("address", DottedIpv4(address)).Set("port", port);
        return;
    }
    if (!options.port.empty() && !options.baud.empty()) {
        const std::uint32_t baud = *Number(options.baud);
        auto transport = MakeSystemPortProvider()->OpenSerial(options.port, baud, kProbeTimeoutMs);
        if (!transport)
            throw Failure(Exit::NotFound, "cannot open " + options.port,
                          std::filesystem::exists(options.port)
                              ? "another program may hold it, or you may lack the permission"
                              : "no such device; 'tarvexctl ports' lists the serial ports");
        if (!c.Initialize(std::move(transport)))
            throw Failure(Exit::NotFound,
                          "no laser answered on " + options.port + " at " + options.baud + " baud",
                          "try without --baud, which tries 921600 and 115200");
        link_ = "serial " + options.port + " at " + options.baud + " baud";
        linkJson_.Set("kind", "serial").Set("port", options.port).Set("baud", baud);
        return;
    }
    if (!options.port.empty()) {
        if (!std::filesystem::exists(options.port))
            throw Failure(Exit::NotFound, "no such device: " + options.port,
                          "'tarvexctl ports' lists the serial ports");
        c.SetComPort(options.port);
    }
    if (!c.Initialize())
        throw Failure(Exit::NotFound,
                      options.port.empty() ? "no laser answered on any serial port"
                                           : "no laser answered on " + options.port,
                      kCheckLink);
    link_ = "serial " + c.ConnectedPort() + " at " + std::to_string(c.ConnectedBaud()) + " baud";
    linkJson_.Set("kind", "serial").Set("port", c.ConnectedPort()).Set("baud", c.ConnectedBaud());
}

void Session::Fail(const std::string& operation) {
    // A laser that still answers refused the operation; one that does not was lost.
    if (controller_->ReadStatusMask()) {
        const std::uint16_t fault = controller_->SystemErrorWord();
        if (fault != 0)
            throw Failure(Exit::LaserFault,
                          "the laser did not " + operation + ": it reports fault " +
                              std::to_string(fault) + " (" + control::FaultText(fault) + ")",
                          "'tarvexctl faults' shows the faults, 'tarvexctl faults --clear' "
                          "clears one");
        throw Failure(Exit::LaserFault, "the laser did not " + operation,
                      "'tarvexctl status' shows its state; try again");
    }
    throw Failure(Exit::LinkLost, "the laser stopped answering (it was to " + operation + ")",
                  "check the cable and the laser's power, then run the command again");
}

void Session::Check(control::Refusal refusal, const std::string& operation) {
    if (refusal == control::Refusal::None)
        return;
    if (refusal == control::Refusal::ReadFailed)
        Fail(operation);
    throw Failure(Exit::Refused, "cannot " + operation + ": " + control::Reason(refusal),
                  RefusalHint(refusal));
}

} // namespace tarvexctl
