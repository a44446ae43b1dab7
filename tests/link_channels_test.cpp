// The exchange and the panel's connection over a pseudo-terminal: the termios transport against
// the simulated laser running in a thread of its own. (link_udp_test does the same on loopback.)
// Transaction waits run on simulated time; only the transports' own read time-outs are real,
// and they are kept short where the laser is meant to stay silent.
#include "PtyAttachment.h"
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "transport/KWinComPort.h"

#include <gtest/gtest.h>

#include <termios.h>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

constexpr std::uint32_t kShortTimeoutMs = 150;

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

TEST(PseudoTerminal, ACommandBehindACutShortOneIsAnsweredWithoutAPause) {
    PtyRig rig;
    ASSERT_TRUE(rig.pty.IsOpen());
    rig.port->SetTimeouts(kShortTimeoutMs, 0);
    // A header that promises 600 bytes, and no more of it: the host gave up on that command.
    const std::uint8_t cutShort[] = {0, 0, 1, 1, 0, 9, 0, 0, 0x02, 0x58, 0, 0};
    rig.port->SendByteList(cutShort, sizeof cutShort);
    EXPECT_TRUE(rig.Exchange());
    EXPECT_EQ(rig.controller.ConsecutiveFailures(), 0);
}

// A late reply is as late as the fault says, counted from the command as in process: the
// response does not wait that long again after the ack.
TEST(PseudoTerminal, ALateReplyWaitsItsDelayOnce) {
    for (Fault late : {Fault::Delay, Fault::DelayResponse}) {
        PtyRig rig;
        ASSERT_TRUE(rig.pty.IsOpen());
        rig.clock.SetAdvanceListener(nullptr); // the laser's own waits are the ones counted
        rig.InjectNext(late, 1, 300);
        EXPECT_TRUE(rig.Exchange()) << sim::FaultName(late);
        EXPECT_EQ(rig.clock.Sleeps(), std::vector<std::uint32_t>{300}) << sim::FaultName(late);
    }
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

TEST(PseudoTerminal, PortOpensWithTheLineSettingsItCanHonourAndTimesOut) {
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

    // A read that times out throws.
    port.SetTimeouts(20, 0);
    std::uint8_t byte = 0;
    EXPECT_THROW(port.ReadByte(), NoBytesToRead);
    EXPECT_THROW(port.ReadByteList(&byte, 1), NoBytesToRead);

    EXPECT_EQ(KWinComPort().Open("/dev/no-such-port", 9600, 'N', 8, 1, true, true), -1);
}
