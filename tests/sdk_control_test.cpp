// The SDK's control exports through its C interface against the simulated laser: what each
// refuses and that a refusal sends nothing that changes the laser, the command sequences and
// what reaches the laser, and the failed-command codes under injected faults.
#include "support/CommandIds.h"
#include "support/SdkRig.h"
#include "support/TraceCapture.h"

#include <gmock/gmock.h>

#include <functional>

using namespace tarvex;
using test::Read;
using testing::Contains;
using testing::ElementsAre;
using testing::Not;

namespace {

constexpr std::uint32_t kReady =
    status::kInterlock | status::kKeySwitch | status::kTecsAtTemperature | status::kArmed;

class SdkControl : public test::SdkTest {
public:
    using SdkTest::Connect;
    // Connected and armed, the arming's delay passed.
    void ConnectArmed() {
        Connect();
        ASSERT_EQ(TarvexSDK_ArmLaser(), TarvexSdkResult_Success);
        clock.Advance(2000);
        laser.ClearHistory();
    }
    // Tuned to 1650 cm-1 and emitting.
    void ConnectEmitting() {
        ConnectArmed();
        ASSERT_EQ(TarvexSDK_TuneToWW(1650, units::kWavenumber, 2), TarvexSdkResult_Success);
        clock.Advance(5000);
        ASSERT_EQ(TarvexSDK_TurnEmissionOn(), TarvexSdkResult_Success);
        laser.ClearHistory();
    }
    void ConnectSweeping() {
        ConnectArmed();
        ASSERT_EQ(TarvexSDK_StartSweepScan(6, 7, 0.1f, units::kMicrons, 2, 1, 0),
                  TarvexSdkResult_Success);
    }
    void ConnectWithList() {
        ConnectArmed();
        TarvexSDK_SetNumMultiSpectralElements(1);
        TarvexSDK_AddMultiSpectralElement(7, units::kMicrons, 10, 10);
    }

protected:
    // Sent since the history was last cleared.
    bool Sent(std::uint16_t cmdID) const { return !test::ExecutedRequests(laser, cmdID).empty(); }
    // Commands other than reads of the status: what a refusal must not send.
    std::vector<std::uint16_t> Changes() const {
        std::vector<std::uint16_t> ids;
        for (std::uint16_t id : Executed())
            if (id != StatusMask::kCmd && id != ScanProgress::kCmd && id != AdminQclParams::kCmd &&
                id != AdminParams::kCmd)
                ids.push_back(id);
        return ids;
    }
    bool Emitting() {
        return laser.Inspect([](const sim::SimState& s) { return s.emission; });
    }
};

} // namespace

TEST_F(SdkControl, ArmingTwiceOrDisarmingTwiceSendsNothing) {
    Connect();
    EXPECT_EQ(TarvexSDK_DisarmLaser(), TarvexSdkResult_ArmStateUnchanged);
    EXPECT_EQ(Executed(), std::vector<std::uint16_t>{StatusMask::kCmd});

    EXPECT_EQ(TarvexSDK_ArmLaser(), TarvexSdkResult_Success);
    clock.Advance(2000);
    laser.ClearHistory();
    EXPECT_EQ(TarvexSDK_ArmLaser(), TarvexSdkResult_ArmStateUnchanged);
    EXPECT_EQ(Executed(), std::vector<std::uint16_t>{StatusMask::kCmd});

    // The toggle disarms, and the disarm waits until the laser reports it.
    EXPECT_EQ(TarvexSDK_ArmDisarmLaser(), TarvexSdkResult_Success);
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_IsLaserArmed), 0);

    SilenceLink(1);
    EXPECT_EQ(TarvexSDK_ArmLaser(), TarvexSdkResult_CommError);
}

TEST_F(SdkControl, KeySwitchStopsArmingButNotTheToggleOfAnArmedLaser) {
    Connect();
    laser.SetKeySwitch(false);
    EXPECT_EQ(TarvexSDK_ArmLaser(), TarvexSdkResult_InterlockOrKeySwitchOpen);
    EXPECT_EQ(TarvexSDK_ArmDisarmLaser(), TarvexSdkResult_InterlockOrKeySwitchOpen);
    EXPECT_FALSE(Sent(kArmDisarmCmd));

    // Armed with the key off (as the status reports it): the toggle disarms.
    laser.SetStatusMask(kReady & ~status::kKeySwitch);
    EXPECT_EQ(TarvexSDK_ArmDisarmLaser(), TarvexSdkResult_Success);
    EXPECT_THAT(test::ExecutedRequests(laser, kArmDisarmCmd),
                ElementsAre(std::vector<std::uint8_t>{0}));
}

TEST_F(SdkControl, TuneIsCheckedAndTracedAsItsQueries) {
    Connect();
    laser.SetStatusMask(kReady & ~status::kTecsAtTemperature);
    EXPECT_EQ(TarvexSDK_TuneToWW(1000, units::kWavenumber, 0),
              TarvexSdkResult_TecsNotAtTemperature);
    laser.SetStatusMask(kReady & ~status::kArmed);
    EXPECT_EQ(TarvexSDK_TuneToWW(3000, units::kWavenumber, 0),
              TarvexSdkResult_WavelengthOutOfRange);
    EXPECT_EQ(TarvexSDK_TuneToWW(7.0f, units::kMicrons, 0), TarvexSdkResult_LaserNotArmed);
    EXPECT_EQ(TarvexSDK_TuneToWW(7.0f, 3, 0), TarvexSdkResult_WavelengthOutOfRange);
    // A QCL that is not installed is refused before anything is sent.
    laser.ClearHistory();
    EXPECT_EQ(TarvexSDK_TuneToWW(7.0f, units::kMicrons, 5), TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(TarvexSDK_StartSweepScan(6, 7, 1, units::kMicrons, 1, 0, 5),
              TarvexSdkResult_InvalidQclNumber);
    EXPECT_TRUE(Executed().empty());
    EXPECT_TRUE(Changes().empty());

    laser.SetStatusMask(kReady);
    test::TraceCapture trace;
    EXPECT_EQ(TarvexSDK_TuneToWW(7.0f, units::kMicrons, 3), TarvexSdkResult_Success);
    std::vector<std::string> exports;
    for (const auto& line : trace.Lines())
        if (line.starts_with("TarvexSDK_"))
            exports.push_back(line);
    EXPECT_THAT(exports, ElementsAre("TarvexSDK_TuneToWW", "TarvexSDK_AreTECsAtSetTemperature",
                                     "TarvexSDK_GetTuningRange", "TarvexSDK_ConvertWW",
                                     "TarvexSDK_ConvertWW", "TarvexSDK_IsLaserArmed"));
    EXPECT_THAT(Changes(),
                ElementsAre(scan_mode::kCmd, SingleWWParams::kCmd, scan_operation::kCmd));
    const auto tune = laser.Inspect([](const sim::SimState& s) { return s.scan.singleWW; });
    EXPECT_EQ(tune.scan_ww, 7.0f);
    EXPECT_EQ(tune.scan_ww_unit, units::kMicrons);
    EXPECT_EQ(tune.qcl, 3);
}

TEST_F(SdkControl, EmissionNeedsATunedLaserAndIsNotSwitchedTwice) {
    ConnectArmed();
    ASSERT_EQ(TarvexSDK_TuneToWW(1650, units::kWavenumber, 2), TarvexSdkResult_Success);
    // Still moving to the wavelength.
    EXPECT_EQ(TarvexSDK_TurnEmissionOn(), TarvexSdkResult_LaserNotTuned);
    EXPECT_EQ(TarvexSDK_TurnEmissionOff(), TarvexSdkResult_EmissionNotOn);
    EXPECT_FALSE(Sent(LaserOnOff::kCmd));

    clock.Advance(5000);
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_IsTuned), 1);
    EXPECT_EQ(TarvexSDK_TurnEmissionOn(), TarvexSdkResult_Success);
    EXPECT_TRUE(Emitting());
    EXPECT_EQ(TarvexSDK_TurnEmissionOn(), TarvexSdkResult_EmissionAlreadyOn);
    EXPECT_EQ(test::ExecutedRequests(laser, LaserOnOff::kCmd).size(), 1u);
    EXPECT_EQ(TarvexSDK_TurnEmissionOff(), TarvexSdkResult_Success);
    EXPECT_FALSE(Emitting());

    ASSERT_EQ(TarvexSDK_DisarmLaser(), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_TurnEmissionOn(), TarvexSdkResult_LaserNotArmed);
}

TEST_F(SdkControl, MultiSpectralListIsCountedBeforeItStarts) {
    ConnectArmed();
    EXPECT_EQ(TarvexSDK_SetNumMultiSpectralElements(21),
              TarvexSdkResult_TooManyMultiSpectralElements);
    EXPECT_EQ(TarvexSDK_SetNumMultiSpectralElements(2), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_AddMultiSpectralElement(7.5f, units::kMicrons, 100, 10),
              TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_StartMultiSpectralModeScan(1), TarvexSdkResult_MultiSpectralListIncomplete);
    EXPECT_EQ(TarvexSDK_AddMultiSpectralElement(20, units::kMicrons, 100, 10),
              TarvexSdkResult_WavelengthOutOfRange);
    EXPECT_EQ(TarvexSDK_AddMultiSpectralElement(6.5f, units::kMicrons, 200, 20),
              TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_AddMultiSpectralElement(6.0f, units::kMicrons, 1, 1),
              TarvexSdkResult_IndexOutOfRange);
    EXPECT_FALSE(Sent(MultiSpectralParams::kCmd));

    EXPECT_EQ(TarvexSDK_StartMultiSpectralModeScan(3), TarvexSdkResult_Success);
    const auto sent = laser.Inspect([](const sim::SimState& s) { return s.scan.multiSpectral; });
    EXPECT_EQ(sent.num_ww, 2);
    EXPECT_EQ(sent.num_scans, 3);
    EXPECT_EQ(sent.elements[1].scan_ww, 6.5f);
    EXPECT_EQ(sent.elements[1].dwell_time, 200u);
}

TEST_F(SdkControl, RunControlNeedsAScanInProgress) {
    ConnectArmed();
    EXPECT_EQ(TarvexSDK_StopScanInProgress(), TarvexSdkResult_NoScanInProgress);
    EXPECT_EQ(TarvexSDK_CancelManualTuneMode(), TarvexSdkResult_NoScanInProgress);
    EXPECT_EQ(TarvexSDK_PauseScanInProgress(), TarvexSdkResult_NoScanInProgress);
    EXPECT_FALSE(Sent(scan_operation::kCmd));

    ASSERT_EQ(TarvexSDK_StartSweepScan(6, 7, 0.1f, units::kMicrons, 2, 1, 0),
              TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_PauseScanInProgress(), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_ResumeScanInProgress(), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_CancelManualTuneMode(), TarvexSdkResult_Success);
    EXPECT_THAT(test::ExecutedRequests(laser, scan_operation::kCmd),
                ElementsAre(std::vector<std::uint8_t>{1}, std::vector<std::uint8_t>{3},
                            std::vector<std::uint8_t>{4}, std::vector<std::uint8_t>{2}));
}

TEST_F(SdkControl, QclParametersAreCheckedAgainstTheModesLimitsAndKeepTheOtherQcls) {
    Connect();
    // Module 3: 100 Hz to 3 MHz, 40 to 500 ns, up to 1100 mA pulsed; no CW.
    EXPECT_EQ(TarvexSDK_SetQCLParams(3, 3000000, 40, 1100), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_SetQCLParams(3, 3000001, 40, 1100), TarvexSdkResult_PulseRateOutOfRange);
    EXPECT_EQ(TarvexSDK_SetAllQclParams(3, 1000, 100, 100, 20, 3), TarvexSdkResult_CwNotAllowed);
    EXPECT_EQ(TarvexSDK_SetAllQclParams(3, 1000, 100, 100, 20, 0),
              TarvexSdkResult_InvalidLaserMode);
    EXPECT_EQ(TarvexSDK_SetAllQclParams(3, 1000, 100, 100, 26, 1),
              TarvexSdkResult_TemperatureOutOfRange);
    EXPECT_EQ(TarvexSDK_SetQCLParams(0, 1000, 100, 100), TarvexSdkResult_InvalidQclNumber);
    const auto params = laser.Inspect([](const sim::SimState& s) { return s.qcl[2].params; });
    EXPECT_EQ(params.pulse_rate, 3000000.0f);
    EXPECT_EQ(params.pulse_rate_unit, units::kHz);
    EXPECT_EQ(params.current, 1100.0f);

    // The write carries every QCL's parameters: those of the others go back as the laser has them
    // now (after a recall, say), not as they were last read.
    laser.Modify([](sim::SimState& s) { s.qcl[1].params.current = 123; });
    EXPECT_EQ(TarvexSDK_SetAllQclParams(3, 1000, 100, 100, 21, 1), TarvexSdkResult_Success);
    EXPECT_EQ(Read<float>(TarvexSDK_GetQclSetTemperature, 3), 21.0f);
    EXPECT_EQ(laser.Inspect([](const sim::SimState& s) { return s.qcl[1].params.current; }),
              123.0f);
}

TEST_F(SdkControl, GalvoDisplacementIsHeldTo11Bits) {
    Connect();
    EXPECT_EQ(TarvexSDK_SetGalvoDisplacement(5000), TarvexSdkResult_Success);
    EXPECT_EQ(library->galvoDisplacement, 2047);
    EXPECT_EQ(TarvexSDK_EnableGalvoLaserOnOff(1), TarvexSdkResult_Success);
    const auto galvo =
        laser.Inspect([](const sim::SimState& s) { return s.diagnostics.galvoLaser; });
    EXPECT_EQ(galvo.en, 1);
    EXPECT_EQ(galvo.disp, 2047);

    SilenceLink(1);
    EXPECT_EQ(TarvexSDK_SetGalvoDisplacement(100), TarvexSdkResult_CommError);
}

TEST_F(SdkControl, FavoritesAreRecalledByExactName) {
    Connect();
    StoreFavorites({{1, "Gas line"}, {4, "Other"}, {6, "Gas line"}});
    EXPECT_EQ(TarvexSDK_RecallFavorite("gas line"), TarvexSdkResult_FavoriteNotFound);
    EXPECT_EQ(TarvexSDK_RecallFavorite("Gas"), TarvexSdkResult_FavoriteNotFound);
    EXPECT_EQ(TarvexSDK_RecallFavorite(nullptr), TarvexSdkResult_NullPointer);
    EXPECT_FALSE(Sent(kRestoreStateCmd));
    EXPECT_EQ(TarvexSDK_RecallFavorite("Gas line"), TarvexSdkResult_Success);
    EXPECT_THAT(test::ExecutedRequests(laser, kRestoreStateCmd),
                ElementsAre(std::vector<std::uint8_t>{1}, std::vector<std::uint8_t>{6}));
}

TEST_F(SdkControl, ClearingAFaultTellsWhetherItWent) {
    Connect();
    laser.InjectError(0x2A);
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_ClearSystemError), 1);
    laser.InjectError(0x2A);
    laser.Modify([](sim::SimState& s) { s.faultCausePresent = true; });
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_ClearSystemError), 0);
}

TEST_F(SdkControl, AdvancedSweepIsStagedThenWrittenThenStarted) {
    Connect();
    EXPECT_EQ(TarvexSDK_SetAdvancedSweepChanParams(0, 6, 7, 1), TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(TarvexSDK_SetAdvancedSweepChanParams(5, 6, 7, 1), TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(TarvexSDK_SetAdvancedSweepParams(units::kMicrons, 5, 9, 0.5f, 2, 7),
              TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_SetAdvancedSweepChanParams(3, 6, 8, 9), TarvexSdkResult_Success);
    EXPECT_TRUE(Executed().empty());
    EXPECT_EQ(TarvexSDK_ReadWriteAdvancedSweepParams(1), TarvexSdkResult_Success);
    const auto sent = laser.Inspect([](const sim::SimState& s) { return s.scan.sweepAdvanced; });
    EXPECT_EQ(sent.bidir, 1);
    EXPECT_EQ(sent.channelStop[2], 8.0f);
    EXPECT_EQ(sent.used[2], 1);
}

// The settings the laser refuses leave the library's picture as the laser has it.
TEST_F(SdkControl, RefusedSettingsLeaveTheCache) {
    Connect();
    EXPECT_EQ(TarvexSDK_SetWlTrigParams(pulse_mode::kWavelengthTrigger, process_trigger::kManual, 6,
                                        7, 0.1f, 3, 10, 10),
              TarvexSdkResult_CommError);
    EXPECT_NE(library->Controller().Snapshot().laserParams.units, 3);
    EXPECT_EQ(TarvexSDK_SetWlTrigPulseWidth(250), TarvexSdkResult_Success);
    EXPECT_EQ(Read<std::uint16_t>(TarvexSDK_GetWlTrigPulseWidth), 250);
    // 3 MHz at 500 ns is within each limit, but past the 30 % duty cycle: the laser refuses.
    EXPECT_EQ(TarvexSDK_SetQCLParams(1, 3000000, 500, 100), TarvexSdkResult_QclParamsWriteFailed);
    EXPECT_NE(library->Controller().Snapshot().qclParams[0].pulse_width, 500.0f);
}

// A command the laser does not carry out gives the export's own failure code.
struct FailedCommand {
    const char* name;
    void (SdkControl::*setUp)();
    std::uint16_t spoiled;
    std::function<std::uint32_t()> call;
    std::uint32_t expected;
};

class SdkFailedCommand : public SdkControl, public testing::WithParamInterface<FailedCommand> {};

TEST_P(SdkFailedCommand, GivesItsOwnCode) {
    (this->*GetParam().setUp)();
    InjectFor(GetParam().spoiled, sim::Fault::Nak, -1);
    EXPECT_EQ(GetParam().call(), GetParam().expected);
}

namespace {

constexpr auto Connected = &SdkControl::Connect;
constexpr auto Armed = &SdkControl::ConnectArmed;
constexpr auto Emitting = &SdkControl::ConnectEmitting;
constexpr auto Sweeping = &SdkControl::ConnectSweeping;
constexpr auto WithList = &SdkControl::ConnectWithList;

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Exports, SdkFailedCommand,
    testing::ValuesIn(std::vector<FailedCommand>{
        {"Arm", Connected, kArmDisarmCmd, [] { return TarvexSDK_ArmLaser(); },
         TarvexSdkResult_ArmCommandFailed},
        {"Disarm", Armed, kArmDisarmCmd, [] { return TarvexSDK_DisarmLaser(); },
         TarvexSdkResult_ArmCommandFailed},
        {"Tune", Armed, scan_mode::kCmd, [] { return TarvexSDK_TuneToWW(7, units::kMicrons, 0); },
         TarvexSdkResult_TuneCommandFailed},
        {"Sweep", Armed, SweepModeParams::kCmd,
         [] { return TarvexSDK_StartSweepScan(6, 7, 1, units::kMicrons, 1, 0, 0); },
         TarvexSdkResult_SweepScanStartFailed},
        {"StepMeasure", Armed, scan_operation::kCmd,
         [] { return TarvexSDK_StartStepMeasureModeScan(6, 7, 0.1f, 1, 1); },
         TarvexSdkResult_StepMeasureScanStartFailed},
        {"MultiSpectral", WithList, MultiSpectralParams::kCmd,
         [] { return TarvexSDK_StartMultiSpectralModeScan(1); },
         TarvexSdkResult_MultiSpectralScanStartFailed},
        {"Advanced", Armed, scan_mode::kCmd, [] { return TarvexSDK_StartSweepAdvancedScan(); },
         TarvexSdkResult_AdvancedSweepFailed},
        {"EmissionOn", Armed, LaserOnOff::kCmd, [] { return TarvexSDK_TurnEmissionOn(); },
         TarvexSdkResult_EmissionOnFailed},
        {"EmissionOff", Emitting, LaserOnOff::kCmd, [] { return TarvexSDK_TurnEmissionOff(); },
         TarvexSdkResult_EmissionOffFailed},
        {"Stop", Sweeping, scan_operation::kCmd, [] { return TarvexSDK_StopScanInProgress(); },
         TarvexSdkResult_StopScanFailed},
        {"Pause", Sweeping, scan_operation::kCmd, [] { return TarvexSDK_PauseScanInProgress(); },
         TarvexSdkResult_PauseScanFailed},
        {"Resume", Sweeping, scan_operation::kCmd, [] { return TarvexSDK_ResumeScanInProgress(); },
         TarvexSdkResult_ResumeScanFailed},
        {"ManualStep", Sweeping, scan_operation::kCmd,
         [] { return TarvexSDK_ManualStepScanInProgress(); }, TarvexSdkResult_ManualStepFailed},
        {"ProcessTrigger", Armed, scan_operation::kCmd,
         [] { return TarvexSDK_InjectProcessTrigger(); }, TarvexSdkResult_ProcessTriggerFailed},
        {"AdvancedWrite", Connected, SweepAdvancedParams::kCmd,
         [] { return TarvexSDK_ReadWriteAdvancedSweepParams(1); },
         TarvexSdkResult_AdvancedSweepFailed},
        {"Recall", Connected, kRestoreStateCmd, [] { return TarvexSDK_RecallFavorite("Default"); },
         TarvexSdkResult_FavoriteRecallFailed},
        {"MotionCal", Connected, MotionTestParams::kCmd,
         [] { return TarvexSDK_SetMotionCalParameters(2, 1, 1, 1); }, TarvexSdkResult_CommError}}),
    [](const testing::TestParamInfo<FailedCommand>& param) { return param.param.name; });
