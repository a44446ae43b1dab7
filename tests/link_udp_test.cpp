// The exchange and the panel's connection over UDP loopback: the socket transport against the
// simulated laser answering from a thread of its own, and against one in another process.
// Transaction waits run on simulated time; only the transport's own read time-outs are real, and
// they are kept short where the laser is meant to stay silent.
#include "UdpAttachment.h"
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "transport/KWinUDP.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

constexpr std::uint16_t kStatusMask = 3;
constexpr std::uint32_t kLoopbackHost = 0x7F000001;  // 127.0.0.1
constexpr std::uint32_t kLoopbackLaser = 0x7F000002; // 127.0.0.2
constexpr std::uint32_t kLoopbackOther = 0x7F000003; // 127.0.0.3
constexpr std::uint32_t kShortTimeoutMs = 150;

// The laser and the host bind one port number on two loopback addresses. Wine 8 refuses a
// second socket on a port within its own processes, whatever the address: there the laser must
// be in another process (LoopbackToAnotherProcess below).
bool LoopbackPortsShareable() {
    auto laser = OpenUdpSocket(kLoopbackLaser, 0);
    return laser && OpenUdpSocket(kLoopbackHost, laser->LocalPort()) != nullptr;
}

class Loopback : public testing::Test {
protected:
    void SetUp() override {
        if (!LoopbackPortsShareable())
            GTEST_SKIP() << "this platform shares no UDP port between two sockets of a process";
    }
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

} // namespace

TEST_F(Loopback, InitializeFindsTheLaser) {
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

TEST_F(Loopback, EveryFaultIsRejectedCountedAndRecoveredFrom) {
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

TEST_F(Loopback, DatagramsFromOtherSendersAreIgnoredAndItsPortIsItsOwn) {
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

    // The laser's port on the host address is taken by the transport: a second bind fails.
    KWinUDP second;
    EXPECT_EQ(second.Open(kLoopbackLaser, rig.endpoint.Port(), kLoopbackHost), 1);
    EXPECT_EQ(second.GetHandle(), -1);
}

// A late reply is as late as the fault says, counted from the command as in process: the
// response does not wait that long again after the ack.
TEST_F(Loopback, ALateReplyWaitsItsDelayOnce) {
    for (Fault late : {Fault::Delay, Fault::DelayResponse}) {
        UdpRig rig;
        rig.clock.SetAdvanceListener(nullptr); // the laser's own waits are the ones counted
        rig.InjectNext(late, 1, 300);
        EXPECT_TRUE(rig.Exchange()) << sim::FaultName(late);
        EXPECT_EQ(rig.clock.Sleeps(), std::vector<std::uint32_t>{300}) << sim::FaultName(late);
    }
}

TEST(Ipv4Names, DottedAddressesAndHostNamesResolve) {
    std::uint32_t address = 0;
    ASSERT_TRUE(ResolveIpv4("192.0.2.10", address));
    EXPECT_EQ(address, 0xC000020Au);
    ASSERT_TRUE(ResolveIpv4("localhost", address));
    EXPECT_EQ(address >> 24, 127u);
    address = 7;
    EXPECT_FALSE(ResolveIpv4("", address));
    EXPECT_FALSE(ResolveIpv4(nullptr, address));
    EXPECT_EQ(address, 7u);
}

// A laser of another process (tarvex-sim --udp ADDRESS:PORT, named by TARVEX_TEST_UDP_LASER),
// perhaps of another platform: sockets at both ends, on real time, sharing only the loopback.
TEST(LoopbackToAnotherProcess, InitializeFindsTheLaserAndExchangesGoThrough) {
    const char* endpoint = std::getenv("TARVEX_TEST_UDP_LASER");
    if (endpoint == nullptr)
        GTEST_SKIP() << "TARVEX_TEST_UDP_LASER names no simulated laser";
    const std::string text = endpoint;
    const auto colon = text.rfind(':');
    std::uint32_t address = 0;
    ASSERT_NE(colon, std::string::npos) << text;
    ASSERT_TRUE(ParseIpv4(text.substr(0, colon).c_str(), address)) << text;
    const auto port = static_cast<std::uint16_t>(std::stoul(text.substr(colon + 1)));

    KTarvexController controller(ControllerProfile::Panel());
    controller.SetTransportType(kTransportUdp);
    controller.SetUdpAddress(address, port);
    // The host takes the laser's port number on the other loopback address.
    controller.SetUdpLocalAddress(address == kLoopbackHost ? kLoopbackLaser : kLoopbackHost);
    ASSERT_TRUE(controller.Initialize());
    controller.StopHeartbeat();
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(StatusExchange(controller)) << i;
    EXPECT_TRUE(controller.ReadFwVersion());
    EXPECT_EQ(controller.ConsecutiveFailures(), 0);
}
