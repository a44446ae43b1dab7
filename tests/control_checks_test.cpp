// The rules every front end applies before it changes the laser, on the controller against the
// simulated laser: the order of the checks and what each reads, the tuning range across units,
// the QCL drive limits in their stored units, a QCL's settings rules, and the multi-spectral
// list.
#include "control/Favorites.h"
#include "control/MultiSpectralList.h"
#include "control/Preconditions.h"
#include "control/QclDrive.h"
#include "control/QclSettings.h"
#include "support/SimRig.h"

#include <gmock/gmock.h>

#include <cmath>

using namespace tarvex;
using namespace tarvex::control;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

constexpr std::uint32_t kReady =
    status::kInterlock | status::kKeySwitch | status::kTecsAtTemperature | status::kArmed;

// Two modules in microns that together cover 5.5 to 11.0.
sim::LaserProfile MicronLaser() {
    auto profile = test::TwoMicronModules({5.5f, 8.0f}, {7.5f, 11.0f});
    // The first stores its rate limits in kHz and its width limits in us; the second allows CW.
    profile.qcls[0].minPulseRate = 1;
    profile.qcls[0].maxPulseRate = 100;
    profile.qcls[0].pulseRateUnit = units::kKHz;
    profile.qcls[0].minPulseWidth = 0.05f;
    profile.qcls[0].maxPulseWidth = 0.5f;
    profile.qcls[0].pulseWidthUnit = units::kUs;
    profile.qcls[0].cwCapable = false;
    profile.qcls[0].filters.clear();
    profile.qcls[1].cwCapable = true;
    return profile;
}

// Pulse parameters and current, the rest left as the QCL has them.
QclDrive Pulsed(float rateHz, float widthNs, float currentMa) {
    QclDrive drive;
    drive.pulseRateHz = rateHz;
    drive.pulseWidthNs = widthNs;
    drive.currentMa = currentMa;
    return drive;
}

class ControlChecks : public testing::Test, protected test::SimRig {
protected:
    ControlChecks()
        : SimRig(ControllerProfile::Sdk(), sim::InProcessTransport::Style::SerialThrow,
                 MicronLaser()) {
        controller->refresh();
        laser.ClearHistory();
    }
    Preconditions Checks() {
        return Preconditions(*controller, [this](Step step) { steps.push_back(step); });
    }
    std::vector<Step> steps;
};

} // namespace

TEST_F(ControlChecks, TuneChecksQclThenTecsThenRangeThenArmed) {
    auto checks = Checks();
    EXPECT_EQ(checks.ForTune(1000, units::kWavenumber, 3), Refusal::InvalidQclNumber);
    EXPECT_THAT(laser.History(), IsEmpty());
    EXPECT_THAT(steps, IsEmpty());

    laser.SetStatusMask(kReady & ~status::kTecsAtTemperature);
    EXPECT_EQ(checks.ForTune(2000, units::kWavenumber, 0), Refusal::TecsNotAtTemperature);
    EXPECT_THAT(steps, ElementsAre(Step::TecsAtTemperature));

    steps.clear();
    laser.SetStatusMask(kReady & ~status::kArmed);
    EXPECT_EQ(checks.ForTune(2000, units::kWavenumber, 2), Refusal::WavelengthOutOfRange);
    EXPECT_THAT(steps, ElementsAre(Step::TecsAtTemperature, Step::TuningRange,
                                   Step::ConvertWavelength, Step::ConvertWavelength));

    steps.clear();
    EXPECT_EQ(checks.ForTune(7.0f, units::kMicrons, 2), Refusal::LaserNotArmed);
    EXPECT_THAT(steps, ElementsAre(Step::TecsAtTemperature, Step::TuningRange, Step::Armed));

    laser.SetStatusMask(kReady);
    EXPECT_EQ(checks.ForTune(1000, units::kWavenumber, 1), Refusal::None);

    // A failed status read counts as the bit clear.
    InjectNext(sim::Fault::Silent, 1);
    EXPECT_EQ(checks.ForTune(1000, units::kWavenumber, 1), Refusal::TecsNotAtTemperature);
}

TEST_F(ControlChecks, RangeIsConvertedIntoTheCallersUnitAndASweepChecksBothEnds) {
    auto checks = Checks();
    // 5.5 to 11.0 um is 909.09 to 1818.18 cm-1.
    EXPECT_EQ(checks.InTuningRange(1000, units::kWavenumber), Refusal::None);
    EXPECT_EQ(checks.InTuningRange(910, units::kWavenumber), Refusal::None);
    EXPECT_EQ(checks.InTuningRange(2000, units::kWavenumber), Refusal::WavelengthOutOfRange);
    EXPECT_EQ(checks.InTuningRange(900, units::kWavenumber), Refusal::WavelengthOutOfRange);
    EXPECT_EQ(checks.InTuningRange(5.5f, units::kMicrons), Refusal::None);
    EXPECT_EQ(checks.InTuningRange(11.0f, units::kMicrons), Refusal::None);
    EXPECT_EQ(checks.InTuningRange(NAN, units::kMicrons), Refusal::WavelengthOutOfRange);
    EXPECT_EQ(checks.InTuningRange(7, 3), Refusal::UnknownWavelengthUnit);

    // A step-measure scan ignores the QCL.
    laser.SetStatusMask(kReady);
    EXPECT_EQ(checks.ForSweep(6, 12, units::kMicrons, 2), Refusal::WavelengthOutOfRange);
    EXPECT_EQ(checks.ForSweep(6, 10, units::kMicrons, 2), Refusal::None);
    EXPECT_EQ(checks.ForStepMeasure(1500, 1000, units::kWavenumber), Refusal::None);
    EXPECT_EQ(checks.ForStepMeasure(1500, 2000, units::kWavenumber), Refusal::WavelengthOutOfRange);

    InjectFor(AdminQclParams::kCmd, sim::Fault::Silent, -1);
    EXPECT_EQ(checks.InTuningRange(7, units::kMicrons), Refusal::ReadFailed);
}

TEST_F(ControlChecks, DriveLimitsAreBroughtToHzAndNsAndTheLaserModeDecidesTheCurrentLimits) {
    QclDrive drive = Pulsed(100000, 500, 450);
    EXPECT_EQ(CheckQclDrive(*controller, 1, drive), Refusal::None);
    drive.pulseRateHz = 100001;
    EXPECT_EQ(CheckQclDrive(*controller, 1, drive), Refusal::PulseRateOutOfRange);
    drive.pulseRateHz = 1000;
    drive.pulseWidthNs = 501;
    EXPECT_EQ(CheckQclDrive(*controller, 1, drive), Refusal::PulseWidthOutOfRange);
    drive.pulseWidthNs = 50;
    drive.currentMa = 1001;
    EXPECT_EQ(CheckQclDrive(*controller, 1, drive), Refusal::CurrentOutOfRange);
    EXPECT_EQ(CheckQclDrive(*controller, 3, drive), Refusal::InvalidQclNumber);

    // Module 2 (up to 1000 mA pulsed, 600 mA CW) allows CW; module 1 does not.
    drive = Pulsed(100000, 100, 700);
    drive.temperatureC = 20.0f;
    drive.laserMode = 3;
    EXPECT_EQ(CheckQclDrive(*controller, 1, drive), Refusal::CwNotAllowed);
    EXPECT_EQ(CheckQclDrive(*controller, 2, drive), Refusal::CurrentOutOfRange);
    drive.laserMode = laser_mode::kPulsed;
    EXPECT_EQ(CheckQclDrive(*controller, 2, drive), Refusal::None);
    drive.laserMode = 0;
    EXPECT_EQ(CheckQclDrive(*controller, 2, drive), Refusal::InvalidLaserMode);
    drive.laserMode = 11;
    EXPECT_EQ(CheckQclDrive(*controller, 2, drive), Refusal::InvalidLaserMode);
    drive.laserMode = laser_mode::kPulsed;
    drive.temperatureC = 25.5f;
    EXPECT_EQ(CheckQclDrive(*controller, 2, drive), Refusal::TemperatureOutOfRange);
}

TEST_F(ControlChecks, AppliedDriveGoesInHzAndNsAndAFailedWriteLeavesTheCache) {
    const QclDrive drive = Pulsed(50000, 200, 300);
    ASSERT_TRUE(ApplyQclDrive(*controller, 1, drive));
    const LaserQclParams written = State().qcl[0].params;
    EXPECT_EQ(written.pulse_rate, 50000.0f);
    EXPECT_EQ(written.pulse_rate_unit, units::kHz);
    EXPECT_EQ(written.pulse_width, 200.0f);
    EXPECT_EQ(written.pulse_width_unit, units::kNs);
    EXPECT_EQ(written.current, 300.0f);
    EXPECT_EQ(written.laserMode, laser_mode::kPulsed); // left as it was

    InjectFor(LaserQclParams::kCmd, sim::Fault::Silent, -1);
    EXPECT_FALSE(ApplyQclDrive(*controller, 1, Pulsed(9, 9, 9)));
    EXPECT_EQ(Cache().qclParams[0].current, 300.0f);
}

// A module limited to 4 % whose limits are kept in kHz and µs.
TEST(QclSettingsRules, DutyCycleAndWidthLimitInStoredUnits) {
    AdminQclParams qcl{.max_pulse_width = 0.5f,
                       .pulse_width_unit = units::kUs,
                       .min_duty_cycle = 1.0f,
                       .max_duty_cycle = 4.0f};
    EXPECT_DOUBLE_EQ(MaxPulseWidthNs(qcl, 100000), 400.0);
    EXPECT_DOUBLE_EQ(MaxPulseWidthNs(qcl, 10000), 500.0);
    EXPECT_DOUBLE_EQ(MaxPulseWidthNs(qcl, 0), 500.0);
    LaserQclParams params{.pulse_rate = 0.1f,
                          .pulse_rate_unit = units::kMHz,
                          .pulse_width = 0.4f,
                          .pulse_width_unit = units::kUs};
    EXPECT_NEAR(DutyCyclePercent(params), 4.0, 1e-6);
    params.pulse_rate = 0;
    EXPECT_EQ(DutyCyclePercent(params), 0.0);
    EXPECT_TRUE(DutyCycleAllowed(qcl, 4.009));
    EXPECT_FALSE(DutyCycleAllowed(qcl, 4.02));
    EXPECT_TRUE(DutyCycleAllowed(qcl, 0.995));
    EXPECT_FALSE(DutyCycleAllowed(qcl, 0.98));
    // A module that may run CW may run at any duty cycle.
    qcl.laserMode = laser_mode::kCw;
    EXPECT_TRUE(DutyCycleAllowed(qcl, 100.0));
    EXPECT_DOUBLE_EQ(MaxPulseWidthNs(qcl, 100000), 500.0);
}

TEST(QclSettingsRules, OfferedModesAndTheirRows) {
    AdminQclParams qcl;
    qcl.laserMode = laser_mode::kPulsed;
    EXPECT_THAT(OfferedLaserModes(qcl), ElementsAre(1));
    qcl.laserMode = 10;
    EXPECT_THAT(OfferedLaserModes(qcl), ElementsAre(1, 2, 3));
    qcl.laserMode = 9;
    EXPECT_THAT(OfferedLaserModes(qcl), ElementsAre(1, 2, 3, 8, 9));
    EXPECT_EQ(LaserModeRow(8), 3);
    EXPECT_EQ(LaserModeRow(9), 4);
    EXPECT_EQ(LaserModeRow(7), 6);
    EXPECT_EQ(LaserModeRow(0), 0);
    EXPECT_EQ(LaserModeRow(12), 0);
}

TEST_F(ControlChecks, MultiSpectralListCountsAndUnits) {
    auto checks = Checks();
    MultiSpectralList list;
    EXPECT_EQ(list.Announce(21), Refusal::TooManyElements);
    EXPECT_EQ(list.Announce(2), Refusal::None);
    EXPECT_EQ(list.Add(checks, 7.5f, units::kMicrons, 100, 10), Refusal::None);
    EXPECT_EQ(list.Complete(), Refusal::ListIncomplete);
    EXPECT_EQ(list.Add(checks, 2000, units::kWavenumber, 100, 10), Refusal::WavelengthOutOfRange);
    EXPECT_EQ(list.Unit(), units::kMicrons); // a refused wavelength changes nothing
    EXPECT_EQ(list.Add(checks, 1000, units::kWavenumber, 200, 20), Refusal::None);
    EXPECT_EQ(list.Complete(), Refusal::None);
    // Full: refused, though the unit is taken.
    EXPECT_EQ(list.Add(checks, 6, units::kMicrons, 1, 1), Refusal::ListFull);
    EXPECT_EQ(list.Unit(), units::kMicrons);
    const auto elements = list.Elements();
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].scan_ww, 7.5f);
    EXPECT_FLOAT_EQ(elements[1].scan_ww, 10.0f); // 1000 cm-1 in the list's microns
    EXPECT_EQ(elements[1].dwell_time, 200u);

    laser.SetStatusMask(kReady);
    EXPECT_EQ(checks.ForMultiSpectral(list), Refusal::None);
    list.Announce(1);
    EXPECT_EQ(checks.ForMultiSpectral(list), Refusal::ListIncomplete);
}

TEST_F(ControlChecks, ConfigTransferWaitsForTheLaserToBeDisarmed) {
    laser.SetStatusMask(kReady);
    EXPECT_EQ(Checks().ForConfigTransfer(), Refusal::LaserArmed);
    laser.SetStatusMask(kReady & ~status::kArmed);
    EXPECT_EQ(Checks().ForConfigTransfer(), Refusal::None);
    InjectNext(sim::Fault::Silent);
    EXPECT_EQ(Checks().ForConfigTransfer(), Refusal::ReadFailed);
}

// --- Favorites ------------------------------------------------------------------------------

namespace {

class FavoriteRules : public testing::Test, protected test::SimRig {
protected:
    FavoriteRules() : SimRig(ControllerProfile::Panel()) {}
    std::vector<std::string> Names() {
        std::vector<Favorite> favorites;
        EXPECT_TRUE(ReadFavorites(*controller, favorites));
        std::vector<std::string> names;
        for (const auto& favorite : favorites)
            names.push_back(std::to_string(favorite.slot) + ":" + favorite.name);
        return names;
    }
    SaveResult Save(const std::string& name, bool overwrite = false) {
        return SaveFavorite(*controller, name, overwrite, slot);
    }
    std::uint8_t slot = 0;
};

} // namespace

TEST_F(FavoriteRules, ANameInUseIsOverwrittenOnlyOnRequestAndNeverTheDefault) {
    EXPECT_EQ(Save("Lab A"), SaveResult::Saved);
    EXPECT_EQ(slot, 1);
    // Letter case alone does not make another name.
    EXPECT_EQ(Save("lab a"), SaveResult::NameInUse);
    slot = 0;
    EXPECT_EQ(Save("lab a", true), SaveResult::Saved);
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(Save("default", true), SaveResult::DefaultFavorite);
    EXPECT_EQ(Save(""), SaveResult::EmptyName);
    EXPECT_THAT(Names(), ElementsAre("0:Default", "1:lab a"));

    for (int n = 2; n < 9; ++n)
        EXPECT_EQ(Save("F" + std::to_string(n)), SaveResult::Saved);
    const auto saves = laser.Executed(SavedStateRecord::kSaveCmd);
    EXPECT_EQ(Save("One too many"), SaveResult::NoFreeEntry);
    EXPECT_EQ(laser.Executed(SavedStateRecord::kSaveCmd), saves);
}

TEST_F(FavoriteRules, EraseTakesTheNamedFavoritesButNeverTheDefault) {
    ASSERT_EQ(Save("Lab A"), SaveResult::Saved);
    ASSERT_EQ(Save("Lab B"), SaveResult::Saved);
    EXPECT_EQ(EraseFavorite(*controller, "lab a"), EraseResult::NotFound); // exact names only
    EXPECT_EQ(EraseFavorite(*controller, "Default"), EraseResult::DefaultFavorite);
    EXPECT_EQ(EraseFavorite(*controller, "Lab A"), EraseResult::Erased);
    EXPECT_THAT(Names(), ElementsAre("0:Default", "2:Lab B"));
}
