// The laser and QCL parameter commands: the payloads they send, what they cache, the VSRC slot
// checks, arming and the bounded wait after a disarm.
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

// Arms the simulated laser and lets the controller see it.
void Arm(SimRig& rig) {
    ASSERT_TRUE(rig.controller->ExecLaserArmDisarm(1));
    rig.clock.Advance(2000);
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    ASSERT_TRUE(rig.controller->StatusBit(status::kArmed));
}

} // namespace

TEST(LaserParams, AWriteSendsTheCachedRecordBigEndianAtItsOffsets) {
    SimRig rig;
    rig.controller->SetLaserMode(laser_mode::kPulsed);
    rig.controller->SetWavelengthTrigger(pulse_mode::kWavelengthTrigger, 4.5f, 5.0f, 0.01f,
                                         units::kMicrons);
    rig.controller->SetProcessTrigger(process_trigger::kExternalStep, 250000, 70000);
    TraceCapture trace;

    ASSERT_TRUE(rig.controller->ReadWriteLaserParams(true));
    // Pulsed (1) under the wavelength trigger (4); 4.5, 5.0 and 0.01 as big-endian floats in um
    // (1); the external step trigger (2); the dwell and off times as big-endian words.
    EXPECT_EQ(rig.Requests(LaserParams::kCmd).back(),
              (std::vector<std::uint8_t>{1,    4,    0x40, 0x90, 0x00, 0x00, 0x40, 0xA0,
                                         0x00, 0x00, 0x3C, 0x23, 0xD7, 0x0A, 1,    2,
                                         0x00, 0x03, 0xD0, 0x90, 0x00, 0x01, 0x11, 0x70}));
    EXPECT_TRUE(trace.Contains("[Laser Params] laser_mode = 1, Pulse Mode = 4 start_ww = "
                               "4.500000, stop_ww = 5.000000, interval = 0.010000, units = 1, "
                               "process_trigger_mode = 2 dwell_time = 250000 off_time = 70000"));

    // A fresh controller reads back what the laser now holds.
    rig.controller->UpdateCache([](LaserCache& c) { c.laserParams = LaserParams{}; });
    ASSERT_TRUE(rig.controller->ReadWriteLaserParams(false));
    EXPECT_EQ(rig.Requests(LaserParams::kCmd).back(), std::vector<std::uint8_t>(24, 0));
    const auto p = rig.Cache().laserParams;
    EXPECT_EQ(p.start_ww, 4.5f);
    EXPECT_EQ(p.dwell_time, 250000u);

    // A refused write leaves the laser as it was.
    rig.controller->SetLaserMode(12); // no such mode
    rig.controller->SetProcessTrigger(process_trigger::kExternalStep, 1, 70000);
    EXPECT_FALSE(rig.controller->ReadWriteLaserParams(true));
    EXPECT_EQ(rig.State().laserParams.laser_mode, laser_mode::kPulsed);
    EXPECT_EQ(rig.State().laserParams.dwell_time, 250000u);
}

TEST(QclParams, AReadSendsEachSlotsCachedRecordUnderOneSequenceNumber) {
    SimRig rig(ControllerProfile::Panel(), sim::InProcessTransport::Style::SerialThrow,
               LaserWithQcls(2));
    rig.SetInstalledQcls(2);
    rig.controller->SetQclCurrent(2, 321.0f);

    ASSERT_TRUE(rig.controller->ReadWriteLaserQclParams(false));
    const auto requests = rig.Requests(LaserQclParams::kCmd);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0][0], 1);
    EXPECT_EQ(requests[1][0], 2);
    EXPECT_EQ(be::GetF32(requests[1].data() + 11), 321.0f);
    const auto packets = rig.SentPackets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].GetHeader().seqnum, packets[1].GetHeader().seqnum);
    EXPECT_EQ(packets[0].GetHeader().disposition, kRead);

    // The read replaced the cached records with the laser's.
    const auto params = rig.Cache().qclParams;
    const float laserCurrent = rig.State().qcl[1].params.current;
    EXPECT_EQ(params[1].current, laserCurrent);
    EXPECT_EQ(params[1].slot, 2);
}

TEST(QclParams, AWriteSetsEveryInstalledModuleAndSettersIgnoreMissingSlots) {
    SimRig rig;
    rig.SetInstalledQcls(2);
    ASSERT_TRUE(rig.controller->ReadWriteLaserQclParams(false));
    rig.controller->SetQclPulseRate(1, 50.0f, units::kKHz);
    rig.controller->SetQclPulseWidth(1, 200.0f, units::kNs);
    rig.controller->SetQclCurrent(1, 500.0f); // within the module's CW limit
    rig.controller->SetQclTemperature(1, 21.0f);
    rig.controller->SetQclLaserMode(1, laser_mode::kCw);
    rig.controller->SetQclCurrent(2, 650.0f);
    // Slots that do not exist are ignored.
    const auto before = WireBytes(rig.Cache().qclParams[0]);
    rig.controller->SetQclCurrent(0, 1.0f);
    rig.controller->SetQclTemperature(5, 1.0f);
    EXPECT_EQ(WireBytes(rig.Cache().qclParams[0]), before);
    TraceCapture trace;

    ASSERT_TRUE(rig.controller->ReadWriteLaserQclParams(true));
    const auto first = rig.State().qcl[0].params;
    EXPECT_EQ(first.pulse_rate, 50.0f);
    EXPECT_EQ(first.pulse_rate_unit, units::kKHz);
    EXPECT_EQ(first.temp, 21.0f);
    EXPECT_EQ(first.laserMode, laser_mode::kCw);
    EXPECT_EQ(trace.Count("[Laser Qcl Params] slot = "), 2u);
    EXPECT_TRUE(trace.Contains("[Laser Qcl Params] slot = 2, current = 650.000000, pulse_rate = "
                               "100000.000000, pulse_rate_unit = 1, pulse_width = 100.000000 "
                               "pulse_width_unit = 3 temp = 19.000000 laserMode = 1"));

    // A current beyond the module's limit is refused for that slot alone.
    rig.controller->SetQclCurrent(2, 5000.0f);
    EXPECT_FALSE(rig.controller->ReadWriteLaserQclParams(true));
    EXPECT_EQ(rig.State().qcl[1].params.current, 650.0f);
}

TEST(Vsrc, AWriteSendsTheSlotAndValueOnlyAndFailuresKeepTheValue) {
    SimRig rig;
    rig.SetInstalledQcls(4);
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->SetQclVsrc(0, 12.5f));
    const auto sent = rig.Requests(LaserQclVsrc::kCmd).back();
    EXPECT_EQ(sent, WireBytes(LaserQclVsrc{1, 12.5f, 0.0f, 0.0f}));
    EXPECT_EQ(rig.SentPackets().back().GetHeader().disposition, kWrite);
    EXPECT_TRUE(trace.Contains(
        "[Laser QCL VSRC] slot = 1, vsrc = 12.500000, maxPulsed = 15.000000, maxCw = 13.500000"));
    EXPECT_EQ(rig.controller->GetQclMaxVsrc(0, laser_mode::kPulsed), 15.0f);
    EXPECT_EQ(rig.controller->GetQclMaxVsrc(0, laser_mode::kCw), 13.5f);
    EXPECT_EQ(rig.controller->GetQclVsrc(0), 12.5f);

    // A failed read keeps the cached value; a refused write leaves the laser's.
    rig.InjectNext(Fault::Silent);
    EXPECT_EQ(rig.controller->GetQclVsrc(0), 12.5f);
    EXPECT_FALSE(rig.controller->SetQclVsrc(0, 20.0f)); // above the pulsed limit
    EXPECT_EQ(rig.State().qcl[0].vsrc.vsrc, 12.5f);
    EXPECT_EQ(rig.Cache().vsrc[0].vsrc, 12.5f);
}

TEST(Vsrc, IndexesBeyondTheInstalledModulesSendNothing) {
    SimRig rig;
    rig.SetInstalledQcls(2);
    rig.controller->UpdateCache([](LaserCache& c) { c.vsrc[2].maxCw = 9.0f; });
    EXPECT_FALSE(rig.controller->ReadWriteLaserQclVsrc(false, 2));
    EXPECT_FALSE(rig.controller->SetQclVsrc(2, 10.0f));
    EXPECT_EQ(rig.controller->GetQclVsrc(2), 0.0f);
    EXPECT_EQ(rig.controller->GetQclMaxVsrc(2, laser_mode::kCw), 0.0f);
    EXPECT_TRUE(rig.transport->Sent().empty());
    EXPECT_TRUE(rig.controller->ReadWriteLaserQclVsrc(false, 1));
}

TEST(Emission, FollowsTheOnOffCommandOnlyWhileArmed) {
    SimRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->SetLaserOnOff(true, 0));
    EXPECT_EQ(rig.Requests(LaserOnOff::kCmd).back(), (std::vector<std::uint8_t>{1, 0, 0, 0, 0}));
    EXPECT_TRUE(trace.Contains("[Laser On Off Executed successfully] on_off = 1 slot = 0"));
    ASSERT_TRUE(rig.controller->ReadInfoLight());
    EXPECT_EQ(rig.Cache().light.light_out, 0);

    Arm(rig);
    ASSERT_TRUE(rig.controller->SetLaserOnOff(true, 0));
    ASSERT_TRUE(rig.controller->ReadLaserOnOff());
    EXPECT_EQ(rig.Cache().laserOnOff.on_off, 1);
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    EXPECT_TRUE(rig.controller->StatusBit(status::kEmissionOn));
    EXPECT_TRUE(trace.Contains("[Laser On Off] on_off = 1 slot = 0"));

    // A switch the laser never heard of leaves the cache as the laser is.
    rig.InjectNext(Fault::Silent);
    EXPECT_FALSE(rig.controller->SetLaserOnOff(false, 0));
    EXPECT_EQ(rig.Cache().laserOnOff.on_off, 1);

    ASSERT_TRUE(rig.controller->SetLaserOnOff(false, 0));
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    EXPECT_FALSE(rig.controller->StatusBit(status::kEmissionOn));
}

TEST(ArmDisarm, ToggleArmArmsWithoutWaitingAndDisarmsWaitingForTheArmedBitToClear) {
    SimRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ToggleArm());
    EXPECT_EQ(rig.Requests(kArmDisarmCmd).back(), std::vector<std::uint8_t>{1});
    EXPECT_EQ(rig.laser.Executed(StatusMask::kCmd), 0u);
    EXPECT_TRUE(trace.Contains("[Laser Arm Disarm Executed successfully] arm_disarm = 1 "));

    rig.clock.Advance(2000);
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    ASSERT_TRUE(rig.controller->StatusBit(status::kArmed));
    rig.laser.ClearHistory();
    const std::uint64_t start = rig.clock.NowMs();
    ASSERT_TRUE(rig.controller->ToggleArm());
    EXPECT_EQ(rig.Requests(kArmDisarmCmd).back(), std::vector<std::uint8_t>{0});
    EXPECT_FALSE(rig.controller->StatusBit(status::kArmed));
    // The laser takes 300 ms to disarm, polled every 50 ms.
    EXPECT_EQ(rig.Requests(StatusMask::kCmd).size(), 6u);
    EXPECT_EQ(rig.clock.NowMs() - start, 300u);
    const auto& timeouts = rig.transport->TimeoutHistory();
    EXPECT_EQ(std::vector<std::uint32_t>(timeouts.end() - 2, timeouts.end()),
              (std::vector<std::uint32_t>{10000, 2000}));
    EXPECT_FALSE(trace.Contains("no longer waiting"));
}

TEST(ArmDisarm, AFailedDisarmDoesNotWaitAndTheWaitEndsAfterItsLimitWhenTheBitNeverClears) {
    SimRig rig;
    rig.InjectFor(kArmDisarmCmd, Fault::StatusNonZero);
    EXPECT_FALSE(rig.controller->ExecLaserArmDisarm(0));
    EXPECT_EQ(rig.laser.Executed(StatusMask::kCmd), 0u);

    rig.laser.SetStatusMask(status::kArmed);
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    const std::uint64_t start = rig.clock.NowMs();
    TraceCapture trace;

    EXPECT_TRUE(rig.controller->ExecLaserArmDisarm(0)); // the disarm itself went through
    const std::uint64_t waited = rig.clock.NowMs() - start;
    EXPECT_GE(waited, KTarvexController::kDisarmWaitLimitMs);
    EXPECT_LT(waited, KTarvexController::kDisarmWaitLimitMs + 100);
    EXPECT_TRUE(trace.Contains("[Laser Arm Disarm] armed bit still set after 30000 ms"));
    EXPECT_EQ(rig.transport->ReadTimeoutMs(), 2000u);
}

TEST(ArmDisarm, TheWaitEndsAfterItsLimitWhenStatusReadsKeepFailing) {
    SimRig rig;
    Arm(rig);
    rig.InjectFor(StatusMask::kCmd, Fault::Silent, -1);
    const std::uint64_t start = rig.clock.NowMs();
    TraceCapture trace;

    EXPECT_TRUE(rig.controller->ExecLaserArmDisarm(0));
    // Each failed read waits out the raised read time-out (10 s) and the transaction's 700 ms,
    // so the limit ends the wait after the third.
    EXPECT_EQ(rig.clock.NowMs() - start, 3u * (50 + 10000 + 700));
    EXPECT_EQ(trace.Count("Timed out reading ack/nak"), 3u);
    EXPECT_TRUE(trace.Contains("no longer waiting"));
    EXPECT_EQ(rig.transport->ReadTimeoutMs(), 2000u);
}

// Whether another thread could take the link during the waits between the status reads: the
// panel keeps the lock through the whole wait, the SDK only through each exchange.
std::vector<bool> LinkFreeDuringDisarmPolls(ControllerProfile profile) {
    SimRig rig(profile);
    Arm(rig);
    std::vector<bool> free;
    std::size_t sleeps = rig.clock.Sleeps().size();
    rig.clock.SetAdvanceListener([&](std::uint64_t) {
        if (rig.clock.Sleeps().size() == sleeps)
            return; // a transport wait, inside an exchange
        sleeps = rig.clock.Sleeps().size();
        free.push_back(LinkFreeForAnotherThread(*rig.controller));
    });
    EXPECT_TRUE(rig.controller->ExecLaserArmDisarm(0));
    rig.clock.SetAdvanceListener(nullptr);
    return free;
}

TEST(ArmDisarm, ThePanelHoldsTheLinkThroughTheWaitAndTheSdkLetsGoBetweenPolls) {
    const auto panel = LinkFreeDuringDisarmPolls(ControllerProfile::Panel());
    const auto sdk = LinkFreeDuringDisarmPolls(ControllerProfile::Sdk());
    ASSERT_FALSE(panel.empty());
    ASSERT_FALSE(sdk.empty());
    EXPECT_EQ(panel, std::vector<bool>(panel.size(), false));
    EXPECT_EQ(sdk, std::vector<bool>(sdk.size(), true));
}

TEST(DisplayUnits, AreWrittenAndChangeTheUnitOfTheWavelengthReadback) {
    SimRig rig;
    rig.laser.Modify([](sim::SimState& s) { s.wavelengthMicrons = 5.0f; });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->SetWwDisplayUnits(units::kWavenumber, units::kKHz));
    EXPECT_EQ(rig.Requests(WwDisplayUnits::kCmd).back(), (std::vector<std::uint8_t>{2, 2}));
    EXPECT_TRUE(trace.Contains("[WW Disp Units] ww=2, pulse_rate = 2"));
    ASSERT_TRUE(rig.controller->ReadInfoLight());
    const auto light = rig.Cache().light;
    EXPECT_EQ(light.unit, units::kWavenumber);
    EXPECT_FLOAT_EQ(light.current_ww, 2000.0f);

    EXPECT_FALSE(rig.controller->SetWwDisplayUnits(3, units::kHz)); // refused by the laser
    EXPECT_EQ(rig.Cache().displayUnits.ww, units::kWavenumber);
    EXPECT_EQ(rig.Cache().displayUnits.pulse_rate, units::kKHz);
}

TEST(PowerOff, SendsTheShutdownValuesAndDisarmsForGood) {
    SimRig rig;
    Arm(rig);
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->PowerOff());
    EXPECT_EQ(rig.Requests(LaserShutdown::kCmd).back(),
              (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(trace.Contains("[Laser shutdown successful] "));
    ASSERT_TRUE(rig.controller->ExecLaserArmDisarm(1));
    rig.clock.Advance(2000);
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    EXPECT_FALSE(rig.controller->StatusBit(status::kArmed));
}

TEST(QclOnOff, SwitchesOneModulesDriverAndTracesTheReply) {
    SimRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ExecQclOnOff(2, 2));
    EXPECT_TRUE(trace.Contains("[Exec QCL ON OFF] slot = 2, cmd = 2"));
    EXPECT_FALSE(rig.State().qcl[1].driverOn);
    ASSERT_TRUE(rig.controller->ExecQclOnOff(2, 1));
    EXPECT_TRUE(rig.State().qcl[1].driverOn);
    EXPECT_FALSE(rig.controller->ExecQclOnOff(2, 3));
}
