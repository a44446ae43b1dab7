// Connecting to the laser: the panel's search over serial ports and bauds or its UDP address,
// and the SDK's connection through a transport it hands over.
#include "SimPortProvider.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

constexpr std::uint32_t kLoopbackLaser = 0x7F000002; // 127.0.0.2

struct Try {
    std::string port;
    std::uint32_t baud;
    bool operator==(const Try&) const = default;
};
void PrintTo(const Try& t, std::ostream* os) {
    *os << t.port << "@" << t.baud;
}

// A laser, the machine's ports as the search sees them, and a panel controller.
struct SearchRig : SimLaserRig {
    sim::SimPortProvider* ports = nullptr; // owned by the controller
    KTarvexController controller{ControllerProfile::Panel(), &clock};

    SearchRig() {
        auto owned = std::make_unique<sim::SimPortProvider>(clock);
        ports = owned.get();
        controller.SetPortProvider(std::move(owned));
    }
    bool Initialize() {
        const bool connected = controller.Initialize();
        // What follows the connection (the heartbeat) is not under test here.
        controller.StopHeartbeat();
        return connected;
    }
    std::vector<Try> Tried() const {
        std::vector<Try> tried;
        for (const auto& open : ports->SerialOpens())
            tried.push_back({open.port, open.baud});
        return tried;
    }
    std::size_t Probes() const { return laser.Executed(SysInfo::kCmd); }
    // The laser answers on UDP at 127.0.0.2:5000; the controller looks for it at `port`.
    void UseUdp(std::uint16_t port = 5000) {
        ports->SetUdpLaser(kLoopbackLaser, 5000, link);
        controller.SetTransportType(kTransportUdp);
        controller.SetUdpAddress(kLoopbackLaser, port);
    }
};

} // namespace

TEST(SerialSearch, SkipsSilentAndBusyPortsAndKeepsTheOneThatAnswers) {
    SearchRig rig;
    rig.ports->AddSilentPort("/dev/ttyS0");
    rig.ports->AddBusyPort("/dev/ttyS1");
    rig.ports->AddPort("/dev/ttyUSB0", rig.link);
    rig.ports->AddSilentPort("/dev/ttyUSB1");

    ASSERT_TRUE(rig.Initialize());
    EXPECT_TRUE(rig.controller.IsConnected());
    EXPECT_EQ(rig.Tried(),
              (std::vector<Try>{
                  {"/dev/ttyS0", 921600}, {"/dev/ttyS1", 921600}, {"/dev/ttyUSB0", 921600}}));
    EXPECT_EQ(rig.controller.ConnectedPort(), "/dev/ttyUSB0");
    EXPECT_EQ(rig.controller.ConnectedBaud(), 921600u);
    // The silent port was closed before the next was tried; only the laser's stays open.
    EXPECT_EQ(rig.ports->OpenTransports(), 1);
    EXPECT_EQ(rig.ports->SerialOpens()[0].readTimeoutMs, 2000u);
}

TEST(SerialSearch, FindsALaserAt115200InTheSecondPass) {
    SearchRig rig;
    rig.ports->AddSilentPort("/dev/ttyS0");
    rig.ports->AddPort("/dev/ttyUSB0", rig.link, 115200);

    ASSERT_TRUE(rig.Initialize());
    EXPECT_EQ(rig.Tried(), (std::vector<Try>{{"/dev/ttyS0", 921600},
                                             {"/dev/ttyUSB0", 921600},
                                             {"/dev/ttyS0", 115200},
                                             {"/dev/ttyUSB0", 115200}}));
    EXPECT_EQ(rig.controller.ConnectedBaud(), 115200u);
    EXPECT_EQ(rig.ports->OpenTransports(), 1);
    EXPECT_EQ(rig.Probes(), 1u); // the laser heard nothing at the wrong rate
}

TEST(SerialSearch, AFixedPortAndBaudThatDoNotAnswerAreRetriedAt115200Only) {
    SearchRig rig;
    rig.ports->AddPort("/dev/ttyUSB0", rig.link, 921600);
    rig.ports->AddPort("/dev/ttyUSB1", rig.link, 57600);
    rig.controller.SetComPort("/dev/ttyUSB0");
    rig.controller.SetBaudRate(57600);

    EXPECT_FALSE(rig.Initialize());
    EXPECT_EQ(rig.Tried(), (std::vector<Try>{{"/dev/ttyUSB0", 57600}, {"/dev/ttyUSB0", 115200}}));
    EXPECT_FALSE(rig.controller.HasTransport());
    EXPECT_EQ(rig.ports->OpenTransports(), 0);
    EXPECT_EQ(rig.controller.ConnectedBaud(), 0u);
}

TEST(SerialSearch, AFixedBaudIsTheFirstPassesRate) {
    SearchRig rig;
    rig.ports->AddPort("/dev/ttyUSB0", rig.link, 57600);
    rig.controller.SetBaudRate(57600);
    ASSERT_TRUE(rig.Initialize());
    EXPECT_EQ(rig.Tried(), (std::vector<Try>{{"/dev/ttyUSB0", 57600}}));
}

TEST(SerialSearch, AMissingFixedPortIsTheOnlyOneTried) {
    SearchRig rig;
    rig.ports->AddPort("/dev/ttyUSB0", rig.link);
    rig.controller.SetComPort("/dev/ttyUSB7");
    EXPECT_FALSE(rig.Initialize());
    EXPECT_EQ(rig.Tried(), (std::vector<Try>{{"/dev/ttyUSB7", 921600}, {"/dev/ttyUSB7", 115200}}));
    EXPECT_EQ(rig.Probes(), 0u);
}

TEST(SerialSearch, TheProbeTimeoutReachesTheOpenedPorts) {
    SearchRig rig;
    rig.ports->AddSilentPort("/dev/ttyS0");
    rig.controller.SetProbeTimeoutMs(150);
    const std::uint64_t start = rig.clock.NowMs();
    EXPECT_FALSE(rig.Initialize());
    for (const auto& open : rig.ports->SerialOpens())
        EXPECT_EQ(open.readTimeoutMs, 150u);
    // Each silent probe costs its read time-out and the transaction's 700 ms of waits.
    EXPECT_EQ(rig.clock.NowMs() - start, 2u * (150 + 700));
}

// Without ports, or with a laser on a port but an unknown transport type, nothing is opened;
// the previous connection's active and tuned QCL are forgotten all the same.
TEST(Initialize, WithoutPortsOrAKnownTransportConnectsNothing) {
    for (bool unknownTransport : {false, true}) {
        SearchRig rig;
        rig.controller.UpdateCache([](LaserCache& c) {
            c.activeQcl = 3;
            c.tunedQcl = 2;
        });
        TraceCapture trace;
        if (unknownTransport) {
            rig.ports->AddPort("/dev/ttyUSB0", rig.link);
            rig.controller.SetTransportType(3);
        }
        EXPECT_FALSE(rig.Initialize());
        EXPECT_FALSE(rig.controller.IsConnected());
        EXPECT_FALSE(rig.controller.HasTransport());
        EXPECT_TRUE(rig.ports->SerialOpens().empty());
        EXPECT_EQ(rig.ports->UdpOpens(), 0u);
        EXPECT_EQ(rig.controller.ActiveQcl(), 0);
        EXPECT_EQ(rig.controller.ReadCache([](const LaserCache& c) { return c.tunedQcl; }), 0);
        EXPECT_TRUE(trace.Contains("KTarvexController::Initialize"));
    }
}

TEST(Initialize, StartsTheHeartbeatOnlyWhenTheProfileKeepsOne) {
    SearchRig rig;
    rig.ports->AddPort("/dev/ttyUSB0", rig.link);
    ASSERT_TRUE(rig.controller.Initialize());
    EXPECT_TRUE(rig.controller.HeartbeatRunning());
    rig.controller.StopHeartbeat();

    ControllerProfile profile = ControllerProfile::Panel();
    profile.heartbeat = false;
    KTarvexController quiet(profile, &rig.clock);
    auto ports = std::make_unique<sim::SimPortProvider>(rig.clock);
    ports->AddPort("/dev/ttyUSB0", rig.link);
    quiet.SetPortProvider(std::move(ports));
    ASSERT_TRUE(quiet.Initialize());
    EXPECT_FALSE(quiet.HeartbeatRunning());
}

// A silent laser is probed once with three attempts; a socket that cannot be bound sends nothing.
TEST(UdpConnection, ProbesTheLaserOnceWithThreeAttempts) {
    for (bool bindFails : {false, true}) {
        SearchRig rig;
        rig.UseUdp();
        rig.InjectNext(sim::Fault::Silent, -1);
        rig.ports->SetUdpBindFails(bindFails);
        EXPECT_FALSE(rig.Initialize());
        EXPECT_EQ(rig.ports->UdpOpens(), 1u);
        EXPECT_EQ(rig.link.GetStats().packets, bindFails ? 0u : 3u);
        EXPECT_EQ(rig.ports->OpenTransports(), 0);
    }
}

TEST(UdpConnection, ConnectsToTheConfiguredAddressAndPort) {
    SearchRig rig;
    rig.UseUdp();
    rig.ports->AddPort("/dev/ttyUSB0", rig.link);
    ASSERT_TRUE(rig.Initialize());
    EXPECT_EQ(rig.Probes(), 1u);
    EXPECT_TRUE(rig.ports->SerialOpens().empty());

    // Another port number finds nobody.
    SearchRig other;
    other.UseUdp(5001);
    EXPECT_FALSE(other.Initialize());
}

TEST(SdkConnection, ProbesTheGivenTransportAndKeepsIt) {
    SearchRig rig;
    rig.ports->AddPort("/dev/ttyUSB0", rig.link);
    KTarvexController sdk(ControllerProfile::Sdk(), &rig.clock);
    EXPECT_TRUE(sdk.Initialize(rig.ports->OpenSerial("/dev/ttyUSB0", 921600, 2000)));
    EXPECT_TRUE(sdk.IsConnected());
    EXPECT_TRUE(sdk.HasTransport());
    EXPECT_EQ(rig.Probes(), 1u);

    // A second connection replaces the first transport, which is closed.
    EXPECT_FALSE(sdk.Initialize(rig.ports->OpenSerial("/dev/ttyUSB0", 115200, 2000)));
    EXPECT_FALSE(sdk.IsConnected());
    EXPECT_FALSE(sdk.HasTransport());
    EXPECT_EQ(rig.ports->OpenTransports(), 0);

    // So does a connection without a transport.
    ASSERT_TRUE(sdk.Initialize(rig.ports->OpenSerial("/dev/ttyUSB0", 921600, 2000)));
    EXPECT_FALSE(sdk.Initialize(nullptr));
    EXPECT_FALSE(sdk.HasTransport());
    EXPECT_EQ(rig.ports->OpenTransports(), 0);
}
