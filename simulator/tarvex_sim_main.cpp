// tarvex-sim: the simulated laser on a pseudo-terminal and/or a UDP port, in real time.
//
//   tarvex-sim [--pty] [--udp [ADDRESS:]PORT] [--fault SPEC]... [--seed N] [--profile FILE]
//              [--state FILE]
//
// --state keeps the saved states (favorites) in FILE: read at start, written at every change.
//
// A fault SPEC is NAME[,cmd=ID][,count=N|,rate=R][,delay=MS], NAME one of the fault names
// ("drop-ack", "silent", ...). Lines on standard input control the laser while it runs:
//   fault SPEC      add a fault rule
//   clear-faults    remove all fault rules
//   status HEX      set the status mask
//   interlock open|closed, key on|off, pointer fitted|absent
//   error CODE             put a fault into the error ring (status bit 8, error word)
//   fault-cause present|gone   while present, clearing the fault does not take
//   warning CODE           put a code into the warning ring
//   temp-warning 1|2|pcb on|off
//   quit            stop
// Without input (end of file) it runs until interrupted. Where there are no pseudo-terminals
// (Windows) it offers UDP only, on 127.0.0.1 and a free port unless --udp says otherwise.
#include "ControlLine.h"
#include "FaultInjector.h"
#include "FaultSpec.h"
#include "LaserProfile.h"
#include "PtyAttachment.h"
#include "SavedStateFile.h"
#include "SimLaser.h"
#include "SimLink.h"
#include "StopRequest.h"
#include "UdpAttachment.h"
#include "transport/UdpSocket.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

using namespace tarvex;

namespace {

bool ParseEndpoint(const std::string& text, std::uint32_t& address, std::uint16_t& port) {
    std::string portText = text;
    auto colon = text.rfind(':');
    if (colon != std::string::npos) {
        if (!ParseIpv4(text.substr(0, colon).c_str(), address))
            return false;
        portText = text.substr(colon + 1);
    }
    char* end = nullptr;
    long value = std::strtol(portText.c_str(), &end, 10);
    if (end == portText.c_str() || *end != '\0' || value < 0 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

int Usage(const std::string& error = {}) {
    if (!error.empty())
        std::fprintf(stderr, "tarvex-sim: %s\n", error.c_str());
    std::fprintf(stderr, "usage: tarvex-sim [--pty] [--udp [ADDRESS:]PORT] [--fault SPEC]... "
                         "[--seed N] [--profile FILE] [--state FILE]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool wantPty = false;
    bool wantUdp = false;
    std::uint32_t udpAddress = 0x7F000001;
    std::uint16_t udpPort = 0;
    std::uint32_t seed = 1;
    std::vector<sim::FaultRule> rules;
    sim::LaserProfile profile = sim::LaserProfile::Default();
    std::string stateFile;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--pty") {
            wantPty = true;
        } else if (arg == "--udp") {
            const char* value = next();
            if (!value || !ParseEndpoint(value, udpAddress, udpPort))
                return Usage();
            wantUdp = true;
        } else if (arg == "--fault") {
            const char* value = next();
            if (!value)
                return Usage();
            std::string error;
            auto rule = sim::ParseFaultSpec(value, error);
            if (!rule)
                return Usage(error);
            rules.push_back(*rule);
        } else if (arg == "--seed") {
            const char* value = next();
            if (!value)
                return Usage();
            std::string error;
            auto parsed = sim::ParseSeed(value, error);
            if (!parsed)
                return Usage(error);
            seed = *parsed;
        } else if (arg == "--state") {
            const char* value = next();
            if (!value)
                return Usage();
            stateFile = value;
        } else if (arg == "--profile") {
            const char* value = next();
            if (!value)
                return Usage();
            std::string error;
            auto loaded = sim::LaserProfile::Load(value, error);
            if (!loaded) {
                std::fprintf(stderr, "tarvex-sim: %s\n", error.c_str());
                return 1;
            }
            profile = std::move(*loaded);
        } else {
            return Usage();
        }
    }
    if (!wantPty && !wantUdp)
        (sim::PtyAttachment::Supported() ? wantPty : wantUdp) = true;

    // Interrupts end the wait at the bottom, not the link threads.
    sim::CatchStopRequests();

    sim::SimLaser laser(SystemClock::Instance(), std::move(profile));
    if (std::string error; !stateFile.empty() && !sim::KeepSavedStatesIn(laser, stateFile, error)) {
        std::fprintf(stderr, "tarvex-sim: %s\n", error.c_str());
        return 1;
    }
    sim::FaultInjector faults(seed);
    for (const auto& rule : rules)
        faults.Add(rule);
    sim::SimLink link(laser, faults);

    std::unique_ptr<sim::PtyAttachment> pty;
    std::unique_ptr<sim::UdpAttachment> udp;
    if (wantPty) {
        pty = std::make_unique<sim::PtyAttachment>(link, SystemClock::Instance());
        if (!pty->IsOpen()) {
            std::fprintf(stderr, "tarvex-sim: cannot create a pseudo-terminal\n");
            return 1;
        }
        std::printf("pty: %s\n", pty->SlavePath().c_str());
    }
    if (wantUdp) {
        udp = std::make_unique<sim::UdpAttachment>(link, SystemClock::Instance(), udpAddress,
                                                   udpPort);
        if (!udp->IsOpen()) {
            std::fprintf(stderr, "tarvex-sim: cannot bind the UDP port\n");
            return 1;
        }
        std::printf("udp: %u.%u.%u.%u:%u\n", udpAddress >> 24, (udpAddress >> 16) & 0xFF,
                    (udpAddress >> 8) & 0xFF, udpAddress & 0xFF, udp->Port());
    }
    std::fflush(stdout);

    std::thread input([&] {
        std::string line;
        while (std::getline(std::cin, line)) {
            std::string error;
            const auto result = sim::ApplyControlLine(line, laser, faults, error);
            if (result == sim::ControlResult::kQuit) {
                sim::RequestStop();
                return;
            }
            if (result == sim::ControlResult::kRefused)
                std::fprintf(stderr, "tarvex-sim: %s\n", error.c_str());
        }
    });
    input.detach();
    sim::WaitForStopRequest();
    return 0;
}
