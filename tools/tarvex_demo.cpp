// A short tour of the laser link on the built-in simulated laser: the simulator answers on a
// pseudo-terminal and on a loopback UDP port, and the host talks to it through the same serial
// and socket transports it uses for a real laser.
#include "ByteOrder.h"
#include "FaultInjector.h"
#include "KTarvexController.h"
#include "KWinComPort.h"
#include "KWinUDP.h"
#include "PtyAttachment.h"
#include "SimLaser.h"
#include "SimLink.h"
#include "UdpAttachment.h"

#include <cstdio>

using namespace tarvex;

namespace {

constexpr std::uint16_t kStatusMask = 3;
constexpr std::uint16_t kSysInfo = 4;

void Show(KTarvexController& controller, const char* what, std::uint16_t cmdID) {
    KTarvexCommand command(cmdID, kRead);
    KTarvexCommand response;
    const bool ok = controller.Exchange(command, response);
    std::printf("  %-30s seq %5u  %s", what, command.GetHeader().seqnum, ok ? "ok  " : "FAILED");
    if (ok && cmdID == kStatusMask)
        std::printf("  status mask 0x%08X, error word 0x%04X", be::GetU32(response.GetData()),
                    be::GetU16(response.GetData() + 4));
    if (ok && cmdID == kSysInfo)
        std::printf("  interface %u, sysInfo %u", response.GetData()[0], response.GetData()[1]);
    std::printf("   (consecutive failures: %u)\n", controller.ConsecutiveFailures());
}

void Tour(KTarvexController& controller, sim::FaultInjector& faults) {
    Show(controller, "ReadInfoSysInfo", kSysInfo);
    Show(controller, "ReadStatusMask", kStatusMask);
    faults.Add({sim::Fault::CorruptAck, kStatusMask, 1, 0.0, 0});
    Show(controller, "ReadStatusMask, ack corrupted", kStatusMask);
    Show(controller, "ReadStatusMask again", kStatusMask);
}

} // namespace

int main() {
    sim::SimLaser laser(SystemClock::Instance());
    sim::FaultInjector faults;
    sim::SimLink link(laser, faults);

    sim::PtyAttachment pty(link, SystemClock::Instance());
    if (!pty.IsOpen()) {
        std::fprintf(stderr, "tarvex-demo: no pseudo-terminal available\n");
        return 1;
    }
    {
        KTarvexController controller(ControllerProfile::Sdk());
        auto port = std::make_unique<KWinComPort>();
        if (port->Open(pty.SlavePath(), 921600, 'N', 8, 1, true, true) != 0) {
            std::fprintf(stderr, "tarvex-demo: cannot open %s\n", pty.SlavePath().c_str());
            return 1;
        }
        port->SetTimeouts(500, 0);
        controller.AttachTransport(std::move(port));
        std::printf("Simulated laser on serial port %s (921600 baud)\n", pty.SlavePath().c_str());
        Tour(controller, faults);
    }

    sim::UdpAttachment udp(link, SystemClock::Instance(), 0x7F000002, 0);
    if (udp.IsOpen()) {
        KTarvexController controller(ControllerProfile::Sdk());
        controller.SetTransportType(kTransportUdp);
        auto socket = std::make_unique<KWinUDP>();
        if (socket->Open(0x7F000002, udp.Port(), 0x7F000001) == 0) {
            socket->SetTimeouts(500, 0);
            controller.AttachTransport(std::move(socket));
            std::printf("Simulated laser on UDP 127.0.0.2:%u\n", udp.Port());
            Tour(controller, faults);
        }
    }
    const auto stats = link.GetStats();
    std::printf("The laser saw %zu packets, %zu with a bad CRC, and refused %zu.\n", stats.packets,
                stats.crcErrors, stats.naks);
    return 0;
}
