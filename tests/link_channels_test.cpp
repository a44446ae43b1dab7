// The exchange and the panel's connection over real channels: the termios transport on a
// pseudo-terminal and the socket transport on loopback, each against the simulated laser running
// in a thread of its own.
// Transaction waits run on simulated time; only the transports' own read time-outs are real,
// and they are kept short where the laser is meant to stay silent.
#include "PtyAttachment.h"
#include "UdpAttachment.h"
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "transport/KWinComPort.h"
#include "transport/KWinUDP.h"

#include <gtest/gtest.h>

#include <termios.h>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

constexpr std::uint16_t kStatusMask = 3;
constexpr std::uint32_t kLoopbackHost = 0x7F000001;  // 127.0.0.1
constexpr std::uint32_t kLoopbackLaser = 0x7F000002; // 127.0.0.2
constexpr std::uint32_t kLoopbackOther = 0x7F000003; // 127.0.0.3
constexpr std::uint32_t kShortTimeoutMs = 150;

// One status read; `reply` receives the response.
bool StatusExchange(KTarvexController& controller, KTarvexCommand* reply) {
    KTarvexCommand command(kStatusMask, kRead), response;
    const bool ok = controller.Exchange(command, response);
    if (reply)
        *reply = response;
    return ok;
}

struct PtyRig : SimLaserRig {
    sim::PtyAttachment pty{link, clock};
    KTarvexController controller{ControllerProfile::Panel(), &clock};
    KWinComPort* port = nullptr;

    PtyRig() {
        // Where the host waits, the laser gets to finish answering what it was sent.
        clock.SetAdvanceListener([this](std::uint64_t) { pty.WaitIdle(); });
        auto owned = std::make_unique<KWinComPort>();
        EXPECT_EQ(owned->Open(pty.SlavePath(), 921600, 'N', 8, 1, true, true), 0);
        port = owned.get();
        controller.AttachTransport(std::move(owned));
    }
    ~PtyRig() { clock.SetAdvanceListener(nullptr); }
    bool Exchange(KTarvexCommand* reply = nullptr) { return StatusExchange(controller, reply); }
};

struct UdpRig : SimLaserRig {
    sim::UdpAttachment endpoint{link, clock, kLoopbackLaser, 0};
    KTarvexController controller{ControllerProfile::Panel(), &clock};
    KWinUDP* udp = nullptr;

    UdpRig() {
        // Where the host waits, the laser gets to finish answering what it was sent.
        clock.SetAdvanceListener([this](std::uint64_t) { endpoint.WaitIdle(); });
        auto owned = std::make_unique<KWinUDP>();
        EXPECT_EQ(owned->Open(kLoopbackLaser, endpoint.Port(), kLoopbackHost), 0);
        owned->SetTimeouts(1000, 0);
        udp = owned.get();
        controller.AttachTransport(std::move(owned));
        controller.SetTransportType(kTransportUdp);
    }
    ~UdpRig() { clock.SetAdvanceListener(nullptr); }
    bool Exchange(KTarvexCommand* reply = nullptr) { return StatusExchange(controller, reply); }
};

termios LineOf(KWinComPort& port) {
    termios tio{};
    tcgetattr(static_cast<int>(port.GetHandle()), &tio);
    return tio;
}

} // namespace

TEST(PseudoTerminal, EveryFaultIsRejectedCountedAndRecoveredFrom) {
    PtyRig rig;
    ASSERT_TRUE(rig.pty.IsOpen());
    rig.laser.SetStatusMask(0x20407);
    KTarvexCommand reply;
    ASSERT_TRUE(rig.Exchange(&reply));
    EXPECT_EQ(be::GetU32(reply.GetData()), 0x20407u);
    rig.port->SetTimeouts(kShortTimeoutMs, 0);
    for (Fault fault :
         {Fault::Silent, Fault::DropAck, Fault::DropResponse, Fault::CorruptAck,
          Fault::CorruptResponse, Fault::Nak, Fault::AckWrongSequence, Fault::ResponseWrongSequence,
          Fault::StaleDuplicate, Fault::StatusNonZero}) {
        rig.InjectNext(fault);
        EXPECT_FALSE(rig.Exchange()) << sim::FaultName(fault);
        EXPECT_EQ(rig.controller.ConsecutiveFailures(), 1) << sim::FaultName(fault);
        EXPECT_TRUE(rig.Exchange()) << "no recovery after " << sim::FaultName(fault);
        EXPECT_EQ(rig.controller.ConsecutiveFailures(), 0);
    }
    // Nothing the host wrote arrived spoiled.
    EXPECT_EQ(rig.link.GetStats().crcErrors, 0u);
}

TEST(PseudoTerminal, InitializeFindsTheLaser) {
    SimLaserRig rig;
    sim::PtyAttachment pty(rig.link, rig.clock);
    ASSERT_TRUE(pty.IsOpen());
    KTarvexController controller(ControllerProfile::Panel(), &rig.clock);
    controller.SetComPort(pty.SlavePath());
    controller.SetProbeTimeoutMs(500);

    ASSERT_TRUE(controller.Initialize());
    controller.StopHeartbeat();
    EXPECT_EQ(controller.ConnectedPort(), pty.SlavePath());
    EXPECT_EQ(controller.ConnectedBaud(), 921600u);
    EXPECT_TRUE(controller.ReadWriteAdminParams(false));
    EXPECT_EQ(controller.SerialNumber(), rig.laser.Profile().serialNumber);
}

TEST(PseudoTerminal, PortOpensWithTheLineSettingsItCanHonour) {
    SimLaserRig rig;
    sim::PtyAttachment pty(rig.link, rig.clock);
    KWinComPort port;
    // An unknown baud rate opens at 9600, 4 data bits as 8, 3 stop bits as one, parity 'M' as
    // none with parity checking off.
    ASSERT_EQ(port.Open(pty.SlavePath(), 12345, 'M', 4, 3, true, true), 0);
    termios tio = LineOf(port);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_cflag & PARENB, 0u);
    EXPECT_EQ(tio.c_iflag & INPCK, 0u);

    ASSERT_EQ(port.Open(pty.SlavePath(), 115200, 'E', 7, 2, true, true), 0);
    tio = LineOf(port);
    // A pseudo-terminal always keeps 8 data bits without parity generation; the rest sticks.
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_iflag & INPCK, 0u);
    EXPECT_EQ(port.Baud(), 115200u);

    EXPECT_EQ(KWinComPort().Open("/dev/no-such-port", 9600, 'N', 8, 1, true, true), -1);
}

TEST(PseudoTerminal, ReadThatTimesOutThrows) {
    SimLaserRig rig;
    sim::PtyAttachment pty(rig.link, rig.clock);
    KWinComPort port;
    ASSERT_EQ(port.Open(pty.SlavePath(), 921600, 'N', 8, 1, true, true), 0);
    port.SetTimeouts(20, 0);
    std::uint8_t byte = 0;
    EXPECT_THROW(port.ReadByte(), NoBytesToRead);
    EXPECT_THROW(port.ReadByteList(&byte, 1), NoBytesToRead);
}

TEST(Loopback, InitializeFindsTheLaser) {
    SimLaserRig rig;
    sim::UdpAttachment endpoint(rig.link, rig.clock, kLoopbackLaser, 0);
    ASSERT_TRUE(endpoint.IsOpen());
    KTarvexController controller(ControllerProfile::Panel(), &rig.clock);
    controller.SetTransportType(kTransportUdp);
    controller.SetUdpAddress(kLoopbackLaser, endpoint.Port());
    controller.SetUdpLocalAddress(kLoopbackHost);

    ASSERT_TRUE(controller.Initialize());
    controller.StopHeartbeat();
    EXPECT_TRUE(controller.IsConnected());
    EXPECT_EQ(rig.laser.Executed(SysInfo::kCmd), 1u);
    EXPECT_TRUE(controller.ReadFwVersion());
    EXPECT_EQ(controller.ControllerFirmware().major, rig.laser.Profile().controllerFirmware.major);
}

TEST(Loopback, EveryFaultIsRejectedCountedAndRecoveredFrom) {
    UdpRig rig;
    rig.udp->SetTimeouts(kShortTimeoutMs, 0);
    // Faults of the ack are retried within the same exchange; a silent laser exhausts the three
    // attempts; faults of the response fail the exchange.
    for (Fault fault : {Fault::DropAck, Fault::CorruptAck, Fault::Nak, Fault::AckWrongSequence,
                        Fault::StaleDuplicate}) {
        rig.InjectNext(fault);
        EXPECT_TRUE(rig.Exchange()) << sim::FaultName(fault);
        EXPECT_EQ(rig.controller.ConsecutiveFailures(), 0);
    }
    rig.InjectNext(Fault::Silent, 3);
    EXPECT_FALSE(rig.Exchange());
    EXPECT_EQ(rig.controller.ConsecutiveFailures(), 3);
    for (Fault fault : {Fault::DropResponse, Fault::CorruptResponse, Fault::ResponseWrongSequence,
                        Fault::StatusNonZero}) {
        rig.InjectNext(fault);
        EXPECT_FALSE(rig.Exchange()) << sim::FaultName(fault);
        EXPECT_EQ(rig.controller.ConsecutiveFailures(), 1);
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(rig.Exchange());
}

TEST(Loopback, DatagramsFromOtherSendersAreIgnored) {
    UdpRig rig;
    rig.laser.SetStatusMask(0x407);
    // Another host forges an ack and a response for the very command about to be sent.
    const std::uint16_t seqnum = KTarvexCommand::PeekNextSequenceNumber();
    auto forger = OpenUdpSocket(kLoopbackOther, 0);
    ASSERT_TRUE(forger);
    for (auto [disposition, length] : {std::pair<int, int>{kRead, 10}, {kResponse, 18}}) {
        KTarvexCommand forged(kStatusMask, static_cast<std::uint8_t>(disposition));
        forged.GetHeader().seqnum = seqnum;
        forged.GetHeader().length = static_cast<std::uint16_t>(length);
        be::PutU32(forged.GetData(), 0xDEAD);
        std::uint8_t bytes[64];
        std::size_t size = sizeof bytes;
        ASSERT_TRUE(forged.GetPacket(bytes, size));
        ASSERT_TRUE(forger->SendTo(kLoopbackHost, rig.endpoint.Port(), bytes, size));
    }
    KTarvexCommand reply;
    ASSERT_TRUE(rig.Exchange(&reply));
    EXPECT_EQ(be::GetU32(reply.GetData()), 0x407u);
    EXPECT_EQ(rig.udp->ForeignDatagrams(), 2u);
}

TEST(Loopback, BindFailureIsReported) {
    UdpRig rig;
    KWinUDP second;
    // The laser's port on the host address is already taken by the first transport.
    EXPECT_EQ(second.Open(kLoopbackLaser, rig.endpoint.Port(), kLoopbackHost), 1);
    EXPECT_EQ(second.GetHandle(), -1);
}
