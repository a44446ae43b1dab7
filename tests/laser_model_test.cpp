// The simulated laser itself: its dynamics on simulated time, its hardware controls and its
// profiles, seen through the controller where the wire is part of the point.
#include "LaserProfile.h"
#include "support/SimRig.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tarvex;
using namespace tarvex::test;

namespace {

bool Has(SimRig& rig, std::uint32_t bit) {
    return (rig.laser.StatusMask() & bit) != 0;
}

std::optional<sim::LaserProfile> Parse(const std::string& text, std::string& error) {
    return sim::LaserProfile::Parse(text, error);
}

constexpr const char* kOneModule = "[qcl]\nrange = 4.2 5.05 um\n";

} // namespace

TEST(LaserModel, TecsSettleOnANewSetPointAndReportIt) {
    SimRig rig;
    rig.SetInstalledQcls(4);
    EXPECT_TRUE(Has(rig, status::kTecsAtTemperature)); // settled at power-up
    ASSERT_TRUE(rig.controller->ReadWriteLaserQclParams(false));
    rig.controller->SetQclTemperature(3, 21.0f); // 2 °C above its set point
    ASSERT_TRUE(rig.controller->ReadWriteLaserQclParams(true));
    EXPECT_FALSE(Has(rig, status::kTecsAtTemperature));

    rig.clock.Advance(1000);
    ASSERT_TRUE(rig.controller->ReadQclInfoParam());
    const auto moving = rig.Cache().qclInfo[2];
    EXPECT_NEAR(moving.actual_temp, 20.0f, 0.01f);
    EXPECT_GT(moving.actual_tec_current, rig.Cache().qclInfo[0].actual_tec_current);
    EXPECT_FALSE(Has(rig, status::kTecsAtTemperature));

    rig.clock.Advance(1000);
    EXPECT_TRUE(Has(rig, status::kTecsAtTemperature));
    EXPECT_NEAR(rig.State().qcl[2].tecTemp, 21.0f, 0.001f);
}

TEST(LaserModel, ArmingTakesAMomentNeedsInterlockAndKeyAndEndsWhenTheInterlockOpens) {
    SimRig rig;
    rig.laser.SetInterlock(false);
    ASSERT_TRUE(rig.controller->ExecLaserArmDisarm(1));
    rig.clock.Advance(2000);
    EXPECT_FALSE(Has(rig, status::kArmed));
    EXPECT_FALSE(Has(rig, status::kInterlock));

    rig.laser.SetInterlock(true);
    rig.laser.SetKeySwitch(false);
    ASSERT_TRUE(rig.controller->ExecLaserArmDisarm(1));
    rig.clock.Advance(2000);
    EXPECT_FALSE(Has(rig, status::kArmed));

    rig.laser.SetKeySwitch(true);
    ASSERT_TRUE(rig.controller->ExecLaserArmDisarm(1));
    rig.clock.Advance(1000);
    EXPECT_FALSE(Has(rig, status::kArmed));
    rig.clock.Advance(500);
    EXPECT_TRUE(Has(rig, status::kArmed));

    // Opening the interlock drops arming and emission.
    ASSERT_TRUE(rig.controller->SetLaserOnOff(true, 0));
    ASSERT_TRUE(Has(rig, status::kEmissionOn));

    rig.laser.SetInterlock(false);
    rig.clock.Advance(50);
    EXPECT_FALSE(Has(rig, status::kArmed));
    EXPECT_FALSE(Has(rig, status::kEmissionOn));
    // Closing it again does not bring the light back by itself.
    rig.laser.SetInterlock(true);
    rig.clock.Advance(2000);
    EXPECT_FALSE(Has(rig, status::kEmissionOn));
}

TEST(LaserModel, ReadbacksFollowEmissionOnTheLasingModule) {
    SimRig rig;
    rig.SetInstalledQcls(4);
    rig.laser.Modify([](sim::SimState& s) { s.curQcl = 2; });
    ASSERT_TRUE(rig.controller->ExecLaserArmDisarm(1));
    rig.clock.Advance(1500);
    ASSERT_TRUE(rig.controller->ReadQclInfoParam2());
    auto second = rig.Cache().qclInfo2[1];
    EXPECT_EQ(second.qclCurrent, 0.0f);
    EXPECT_GT(second.qclVsrc, 0.0f); // the source is up once armed

    ASSERT_TRUE(rig.controller->SetLaserOnOff(true, 0));
    rig.clock.Advance(10000);
    ASSERT_TRUE(rig.controller->ReadQclInfoParam2());
    ASSERT_TRUE(rig.controller->ReadInfoTemps());
    const auto cache = rig.Cache();
    const float drive = rig.State().qcl[1].params.current;
    EXPECT_EQ(cache.qclInfo2[1].qclCurrent, drive);
    EXPECT_GT(cache.qclInfo2[1].qclV, 0.0f);
    EXPECT_EQ(cache.qclInfo2[0].qclCurrent, 0.0f);
    EXPECT_GT(cache.temps.BTemp1, 27.5f); // the case warms while emitting

    // Switching the module's driver off darkens it.
    ASSERT_TRUE(rig.controller->ExecQclOnOff(2, 2));
    rig.clock.Advance(50);
    ASSERT_TRUE(rig.controller->ReadQclInfoParam());
    EXPECT_EQ(rig.Cache().qclInfo[1].actual_current, 0.0f);
}

TEST(LaserModel, ControlsRaiseTheirStatusBits) {
    SimRig rig;
    rig.laser.SetTemperatureWarning(1, true);
    rig.laser.SetTemperatureWarning(3, true);
    rig.laser.SetPointerFitted(true);
    const std::uint32_t mask = rig.laser.StatusMask();
    EXPECT_TRUE(mask & status::kCaseTemp1Warning);
    EXPECT_FALSE(mask & status::kCaseTemp2Warning);
    EXPECT_TRUE(mask & status::kPcbTempWarning);
    EXPECT_TRUE(mask & status::kPointerFitted);
    EXPECT_FALSE(mask & status::kPointerOn);
    rig.clock.Advance(60000);
    EXPECT_GT(rig.State().boardTemps.BTemp1, 40.0f);

    rig.laser.InjectError(0x0C);
    EXPECT_TRUE(Has(rig, status::kSystemError));
    rig.laser.SetTemperatureWarning(1, false);
    EXPECT_FALSE(Has(rig, status::kCaseTemp1Warning));
}

TEST(LaserModel, ASmallerLaserReportsItsModulesAndEmptySlots) {
    SimRig rig(ControllerProfile::Panel(), sim::InProcessTransport::Style::SerialThrow,
               LaserWithQcls(2));
    ASSERT_TRUE(rig.controller->ReadWriteAdminParams(false));
    EXPECT_EQ(rig.controller->InstalledQcls(), 2u);
    rig.SetInstalledQcls(3);
    EXPECT_TRUE(rig.controller->ReadWriteAdminQclParams(false));
    const auto third = rig.Cache().adminQcl[2];
    EXPECT_EQ(third.slot, 3);
    EXPECT_EQ(third.is_available, 0);
    EXPECT_FALSE(rig.controller->ReadWriteLaserQclParams(false)); // no module in slot 3
}

TEST(LaserProfileFile, TheShippedExampleLoadsAndAMissingFileIsReported) {
    std::string error;
    const auto profile = sim::LaserProfile::Load(
        std::filesystem::path(TARVEX_PROFILE_DIR) / "two-qcl.profile", error);
    ASSERT_TRUE(profile) << error;
    EXPECT_EQ(profile->modelNumber, "TVX-2100");
    EXPECT_FALSE(profile->controllerFirmware.AtLeast(1, 7, 15));
    EXPECT_EQ(profile->controllerFirmware.pcb, 2);
    EXPECT_EQ(profile->motionHardwareVersion, 0x0101);
    ASSERT_EQ(profile->qcls.size(), 2u);
    const auto& second = profile->qcls[1];
    EXPECT_EQ(second.wwUnit, units::kWavenumber);
    EXPECT_EQ(second.maxWw, 1350.0f);
    EXPECT_EQ(second.pulseRateUnit, units::kKHz);
    EXPECT_FALSE(second.cwCapable);
    EXPECT_EQ(profile->qcls[0].filters, std::vector<std::uint8_t>{8});
    EXPECT_EQ(profile->qcls[0].maxVsrcCw, 12.0f);

    // The laser built from it answers with its identity.
    SimRig rig(ControllerProfile::Panel(), sim::InProcessTransport::Style::SerialThrow, *profile);
    ASSERT_TRUE(rig.controller->ReadWriteAdminParams(false));
    ASSERT_TRUE(rig.controller->ReadWriteAdminQclParams(false));
    EXPECT_EQ(rig.controller->SerialNumber(), "TVX0107");
    EXPECT_EQ(rig.Cache().adminQcl[1].max_ww, 1350.0f);

    EXPECT_FALSE(sim::LaserProfile::Load("/nonexistent/laser.profile", error));
    EXPECT_NE(error.find("/nonexistent/laser.profile"), std::string::npos);
}

TEST(LaserProfileFile, MistakesAreReportedWithTheirLineAndDefaultsFillWhatIsLeftOut) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"colour = red\n", "line 1: unknown key 'colour'"},
        {std::string(kOneModule) + "volume = 11\n", "line 3: unknown module key 'volume'"},
        {"serial = 0123456789012345678901234\n", "line 1: '0123456789012345678901234' is longer"},
        {"hours = lots\n", "line 1: 'lots' is not a number"},
        {"controller_firmware = 1.7\n", "line 1: '1.7' is not a version"},
        {"controller_firmware = 1.300.0\n", "line 1: '300' is out of range"},
        {"model\n", "line 1: expected 'key = value'"},
        {"", "no [qcl] module"},
        {"[qcl]\n", "module 1: no range given"},
        {"[qcl]\nrange = 6 5 um\n", "line 2: the lowest value is above the highest"},
        {"[qcl]\nrange = 5 6 nm\n", "line 2: unknown unit 'nm'"},
        {std::string(kOneModule) + "laser_mode = 2\n", "module 1: starts in a CW mode"},
        {std::string(kOneModule) + "temperature = 30 15 25\n", "line 3: the set point lies"},
        {std::string(kOneModule) + kOneModule + kOneModule + kOneModule + kOneModule,
         "line 9: more than four modules"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Parse(c.text, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got: " << error;
    }

    std::string error;
    const auto profile = Parse(std::string("serial = X1 # trailing comment\n") + kOneModule, error);
    ASSERT_TRUE(profile) << error;
    EXPECT_EQ(profile->serialNumber, "X1");
    EXPECT_EQ(profile->modelNumber, sim::LaserProfile{}.modelNumber);
    EXPECT_GT(profile->qcls[0].maxDriveCurrent, 0.0f);
}
