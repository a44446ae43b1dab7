// Factory and diagnostic commands against the simulated laser: the per-slot and per-index loops,
// the records' bytes, the board tests' time-out and the readings that follow the laser.
#include "DiagnosticReadings.h"
#include "TuningModel.h"
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A two-module laser the controller knows as such.
struct TwoQclRig : SimRig {
    explicit TwoQclRig(ControllerProfile profile = ControllerProfile::Panel())
        : SimRig(profile, sim::InProcessTransport::Style::SerialThrow, LaserWithQcls(2)) {
        SetInstalledQcls(2);
    }
};

// The first byte of each request the laser received for a command: its slot or index.
Bytes ChannelsAsked(const SimRig& rig, std::uint16_t cmd) {
    Bytes channels;
    for (const auto& request : rig.Requests(cmd))
        channels.push_back(request[0]);
    return channels;
}

// Refuses the requests of one slot or index and answers the others as the laser would.
void RefuseChannel(SimRig& rig, std::uint16_t cmd, std::uint8_t channel) {
    rig.laser.SetHandler(cmd, [channel](const sim::SimRequest& request, sim::SimReply& reply) {
        reply.payload[0] = request.payload[0];
        if (request.payload[0] == channel)
            reply.status = 1;
    });
}

} // namespace

TEST(TecMeas, AsksByZeroBasedIndexFollowsTheTecTemperatureAndStopsAtAFailedIndex) {
    TwoQclRig rig;
    rig.laser.Modify([](sim::SimState& s) {
        s.qcl[0].tecTemp = 25.0f;
        s.qcl[1].tecTemp = 40.0f;
    });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadTecMeas());
    EXPECT_EQ(ChannelsAsked(rig, TecMeas::kCmd), (Bytes{0, 1}));
    EXPECT_TRUE(trace.Contains("[Read TEC Meas] qcl, 1, Voltage, "));
    EXPECT_TRUE(trace.Contains("[Read TEC Meas] qcl, 2, Voltage, "));
    EXPECT_FALSE(trace.Contains("qcl, 3,"));
    // New command, new sequence number, per index.
    const auto packets = rig.SentPackets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_NE(packets[0].GetHeader().seqnum, packets[1].GetHeader().seqnum);
    const auto meas = rig.Cache().tecMeas;
    EXPECT_NEAR(meas[0].resistance, 10000.0f, 1.0f);
    EXPECT_LT(meas[1].resistance, meas[0].resistance);
    EXPECT_EQ(meas[1].index, 1);

    rig.laser.ClearHistory();
    RefuseChannel(rig, TecMeas::kCmd, 0);
    EXPECT_FALSE(rig.controller->ReadTecMeas());
    EXPECT_EQ(ChannelsAsked(rig, TecMeas::kCmd), (Bytes{0}));

    SimRig none;
    EXPECT_TRUE(none.controller->ReadTecMeas());
    EXPECT_TRUE(none.laser.History().empty());
}

TEST(Galvo, ReadsFiveSlotsAndStopsAtTheFirstFailureAndASetDacCountIsSentAndKept) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->ReadAllTestGalvoParams());
    EXPECT_EQ(ChannelsAsked(rig, TestGalvoParams::kCmd), (Bytes{1, 2, 3, 4, 5}));
    rig.laser.ClearHistory();
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->SetTestGalvo(5, -1234));
    EXPECT_EQ(rig.Requests(TestGalvoParams::kCmd)[0], (Bytes{5, 0xFF, 0xFF, 0xFB, 0x2E}));
    EXPECT_TRUE(trace.Contains("[Test Galvo Params ] slot = 5 dac_count = -1234"));
    rig.controller->UpdateCache([](LaserCache& c) { c.testGalvo[4] = {}; });
    ASSERT_TRUE(rig.controller->ReadWriteTestGalvoParams(false, 5));
    EXPECT_EQ(rig.Cache().testGalvo[4].dac_count, -1234);

    rig.laser.ClearHistory();
    EXPECT_FALSE(rig.controller->SetTestGalvo(6, 1));
    EXPECT_FALSE(rig.controller->ReadWriteTestGalvoParams(true, 0));
    EXPECT_TRUE(rig.laser.History().empty());
    RefuseChannel(rig, TestGalvoParams::kCmd, 3);
    EXPECT_FALSE(rig.controller->ReadAllTestGalvoParams());
    EXPECT_EQ(ChannelsAsked(rig, TestGalvoParams::kCmd), (Bytes{1, 2, 3}));
}

TEST(GalvoLaserEnable, IsKeptCountsTheFlipsAndFallsBackToTheDefaults) {
    SimRig rig(ControllerProfile::Sdk());
    rig.controller->UpdateCache([](LaserCache& c) { c.galvoLaser = {1, 1200, 0}; });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteGalvoLaserEnable(true));
    EXPECT_EQ(rig.Requests(GalvoLaserEnable::kCmd)[0], (Bytes{1, 0x04, 0xB0, 0, 0, 0, 0}));
    EXPECT_TRUE(trace.Contains("[GalvoLsrEnable], En: ON, Disp: 1200, Flips: 0"));

    for (float microns : {4.5f, 7.0f, 4.5f}) {
        ASSERT_TRUE(rig.controller->TuneToWW(microns, units::kMicrons, 0, 0));
        rig.clock.Advance(3000);
    }
    ASSERT_TRUE(rig.controller->ReadWriteGalvoLaserEnable(false));
    EXPECT_EQ(rig.Cache().galvoLaser.flips, 2u);

    // A failed read leaves the defaults in the cache.
    rig.InjectFor(GalvoLaserEnable::kCmd, Fault::Silent);
    EXPECT_FALSE(rig.controller->ReadWriteGalvoLaserEnable(false));
    const auto galvo = rig.Cache().galvoLaser;
    EXPECT_EQ(galvo.en, 0);
    EXPECT_EQ(galvo.disp, 500);
    EXPECT_EQ(galvo.flips, 0u);
}

TEST(MotionReadings, MoveDurationAndModuleInfoReportTheModuleAtItsGrating) {
    TwoQclRig rig(ControllerProfile::Sdk());
    ASSERT_TRUE(rig.controller->TuneToWW(1700.0f, units::kWavenumber, 0, 0)); // module 2
    rig.clock.Advance(3000);
    rig.laser.ClearHistory();
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadMoveDuration(1));
    EXPECT_EQ(rig.Requests(MoveDuration::kCmd)[0], (Bytes{1, 0, 0, 0, 0}));
    const auto duration = rig.Cache().moveDuration[1];
    EXPECT_EQ(duration.index, 1);
    EXPECT_EQ(duration.duration,
              sim::MoveDurationMs((5.0f + 10000.0f / 1650.0f) / 2, 10000.0f / 1700.0f));

    ASSERT_TRUE(rig.controller->ReadAllTestQclInfo());
    EXPECT_EQ(ChannelsAsked(rig, TestQclInfo::kCmd), (Bytes{1, 2}));
    const auto info = rig.Cache().testQclInfo;
    EXPECT_EQ(info[1].actual_ww_unit, units::kWavenumber);
    EXPECT_NEAR(info[1].actual_ww, 1700.0f, 0.01f);
    EXPECT_TRUE(
        trace.Contains("[Test QCL Info ] slot = 2, qcl_on_off = 0, tec_enabled_disabled = 1"));

    rig.laser.ClearHistory();
    EXPECT_FALSE(rig.controller->ReadMoveDuration(2)); // a 2-QCL laser has indexes 0 and 1
    EXPECT_TRUE(rig.laser.History().empty());

    SimRig none;
    EXPECT_TRUE(none.controller->ReadAllTestQclInfo());
    EXPECT_FALSE(none.controller->ReadTestQclInfo(1));
    EXPECT_TRUE(none.laser.History().empty());
}

TEST(Encoder, EachGratingsCountFollowsItsWavelength) {
    TwoQclRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadEncoder());
    EXPECT_EQ(ChannelsAsked(rig, Encoder::kCmd), (Bytes{1, 2}));
    EXPECT_TRUE(trace.Contains("[Encoder] QCL2, Enc: "));
    const auto before = rig.Cache().encoders;

    ASSERT_TRUE(rig.controller->TuneToWW(4.3f, units::kMicrons, 0, 0));
    rig.clock.Advance(3000);
    ASSERT_TRUE(rig.controller->ReadEncoder());
    const auto after = rig.Cache().encoders;
    EXPECT_LT(after[0].enc, before[0].enc); // a shorter wavelength, a smaller angle
    EXPECT_EQ(after[1].enc, before[1].enc);
    const auto calibration = rig.State().diagnostics.motion[0];
    EXPECT_EQ(after[0].enc, sim::EncoderCount(calibration, 4.3f));
}

TEST(MotionTestParams, TracesBeforeTheExchangeAndKeepsTheCalibration) {
    TwoQclRig rig(ControllerProfile::Sdk());
    rig.controller->UpdateCache([](LaserCache& c) { c.motionTest[1] = {2, 8.0f, 1e-5f, 0.2f}; });
    TraceCapture trace;
    rig.InjectFor(MotionTestParams::kCmd, Fault::DropResponse);
    EXPECT_FALSE(rig.controller->ReadWriteMotionTestParams(true, 2));
    EXPECT_TRUE(trace.Contains("KTarvexController::ReadWriteMotionTestParams"));

    ASSERT_TRUE(rig.controller->ReadWriteMotionTestParams(true, 2));
    const Bytes r = rig.Requests(MotionTestParams::kCmd)[1];
    EXPECT_EQ(r[0], 2);
    EXPECT_EQ(be::GetF32(r.data() + 1), 8.0f);
    EXPECT_EQ(be::GetF32(r.data() + 5), 1e-5f);
    EXPECT_EQ(be::GetF32(r.data() + 9), 0.2f);
    EXPECT_TRUE(trace.Contains("[ReadWrite Test Motion] slot 2, gratingSpacing: 8.000000"));
    EXPECT_EQ(rig.State().diagnostics.motion[1].gratingSpacing, 8.0f);
}

TEST(TestQcl, AReadSendsTheSlotAndAWriteTheWholeRecord) {
    TwoQclRig rig;
    ASSERT_TRUE(rig.controller->ReadAllTestQclParams());
    EXPECT_EQ(rig.Requests(TestQclParams::kCmd),
              (std::vector<Bytes>{WireBytes(TestQclParams{.slot = 1}),
                                  WireBytes(TestQclParams{.slot = 2})}));
    rig.controller->UpdateCache([](LaserCache& c) {
        c.testQclParams[1] = {2, 18.5f, 0x01020304, 0x0A0B0C0D, 450.0f, 5.5f, 11.5f, 1};
    });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteTestQclParams(true, 2));
    const Bytes r = rig.Requests(TestQclParams::kCmd)[2];
    ASSERT_EQ(r.size(), 26u);
    EXPECT_EQ(be::GetF32(r.data() + 1), 18.5f);
    EXPECT_EQ(be::GetU32(r.data() + 5), 0x01020304u);
    EXPECT_EQ(be::GetU32(r.data() + 9), 0x0A0B0C0Du);
    EXPECT_EQ(be::GetF32(r.data() + 13), 450.0f);
    EXPECT_EQ(be::GetF32(r.data() + 17), 5.5f);
    EXPECT_EQ(be::GetF32(r.data() + 21), 11.5f);
    EXPECT_EQ(r[25], 1);
    EXPECT_TRUE(trace.Contains("[Test QCL Param ] slot = 2, tec_target_temp = 18.500000, period = "
                               "16909060, width = 168496141, qcl_target_current = 450.000000 ww = "
                               "5.500000 units = 1 qcl_vsource = 11.500000"));

    rig.laser.ClearHistory();
    RefuseChannel(rig, TestQclParams::kCmd, 1);
    EXPECT_FALSE(rig.controller->ReadAllTestQclParams());
    EXPECT_EQ(ChannelsAsked(rig, TestQclParams::kCmd), (Bytes{1}));
}

TEST(BoardTests, ATecChannelWriteGoesAsAnExecuteWithItsSwitches) {
    SimRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteTecChannel(true, 1, false, 2));
    ASSERT_TRUE(rig.controller->ReadWriteTecChannel(false, 1, true, 1));
    EXPECT_EQ(rig.Dispositions(TecChannel::kCmd), (std::vector<std::uint8_t>{kExecute, kRead}));
    const auto requests = rig.Requests(TecChannel::kCmd);
    EXPECT_EQ(requests[0], WireBytes(TecChannel{.index = 1, .on = 0, .direction = 2}));
    EXPECT_EQ(requests[1], WireBytes(TecChannel{.index = 1}));
    EXPECT_EQ(trace.Count("TEC1, Off, RV, V: 0.00V, I: 0.00A, R: 0.00 Ohms"), 2u);

    ASSERT_TRUE(rig.controller->ReadWriteTecChannel(true, 1, true, 1));
    EXPECT_TRUE(trace.Contains("TEC1, On, FW, V: "));
    EXPECT_FALSE(rig.controller->ReadWriteTecChannel(false, 4, true, 1));
}

TEST(BoardTests, SlowTestsRaiseTheReadTimeoutAndSetItBack) {
    SimRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteTecChannelDrive(true, 2, true, 1.5f, true));
    EXPECT_EQ(rig.transport->TimeoutHistory(), (std::vector<std::uint32_t>{5000, 2000}));
    EXPECT_EQ(rig.Requests(TecChannelDrive::kCmd)[0],
              WireBytes(TecChannelDrive{.index = 2, .enable = 1, .setValue = 1.5f, .flag = 1}));
    EXPECT_EQ(rig.Cache().tecChannelDrive[2].setValue, 1.5f);

    ASSERT_TRUE(rig.controller->ExecQclIfTest(true, 0));
    ASSERT_TRUE(rig.controller->ExecQclIfTest(false, 0));
    EXPECT_EQ(rig.Dispositions(QclIfTest::kCmd), (std::vector<std::uint8_t>{kExecute, kRead}));
    EXPECT_EQ(trace.Count("[QclIfTest] Ch0, Inst: 1, Results: 0x1F"), 2u);

    // Also after a failure.
    rig.InjectFor(QclIfTest::kCmd, Fault::DropResponse);
    EXPECT_FALSE(rig.controller->ExecQclIfTest(true, 3));
    EXPECT_EQ(rig.transport->TimeoutHistory().back(), 2000u);
    EXPECT_EQ(rig.Cache().qclIfTest[3].inst, 0);
}

TEST(BoardReadings, TraceWhatTheBoardReportsAndAFailedLaserInfoReadStillNamesItself) {
    TwoQclRig rig;
    rig.controller->UpdateCache([](LaserCache& c) { c.testLaserInfo.pcbTemp = 99.0f; });
    TraceCapture trace;
    rig.InjectFor(TestLaserInfo::kCmd, Fault::Nak);
    EXPECT_FALSE(rig.controller->ReadTestLaserInfo());
    EXPECT_EQ(trace.Lines().front(), "KTarvexController::ReadTestLaserInfo");
    EXPECT_FALSE(trace.Contains("[READ TEST LASER INFO]"));
    EXPECT_EQ(rig.Cache().testLaserInfo.pcbTemp, 99.0f);

    ASSERT_TRUE(rig.controller->ReadSysVoltages());
    EXPECT_EQ(trace.Count("[SysVoltages], V"), 8u);
    EXPECT_TRUE(trace.Contains("[SysVoltages], V0, 24.000000"));
    EXPECT_TRUE(trace.Contains("[SysVoltages], V7, 2.500000"));
    ASSERT_TRUE(rig.controller->ReadInstalledSleds());
    EXPECT_TRUE(trace.Contains("[Installed Sleds], 0x3"));
    ASSERT_TRUE(rig.controller->ReadBusVoltages());
    EXPECT_TRUE(trace.Contains("suppliesGood, 0x3F"));
    ASSERT_TRUE(rig.controller->ReadSysTemps());
    EXPECT_TRUE(trace.Contains("Humidity, 32.500"));
    ASSERT_TRUE(rig.controller->ReadTestLaserInfo());
    const auto info = rig.Cache().testLaserInfo;
    EXPECT_EQ(info.caseTemp1, rig.State().caseTemp1);
}
