// The simulated laser's tuning and scans on the simulated clock, observed as the host observes
// them: through the status mask, the light readback and the scan progress.
#include "TuningModel.h"
#include "support/SimRig.h"

#include <gtest/gtest.h>

#include <set>

using namespace tarvex;
using namespace tarvex::test;

namespace {

struct Observed {
    ScanStatus scan;
    float microns = 0;
    std::uint8_t qcl = 0;
    bool waitingForTrigger = false;
};

// What the host sees after `ms` more of simulated time.
Observed Poll(SimRig& rig, std::uint64_t ms = 0) {
    rig.clock.Advance(ms);
    auto& c = *rig.controller;
    EXPECT_TRUE(c.ReadStatusMask() && c.ReadInfoLight() && c.ReadScanProgress());
    Observed o;
    o.scan = c.GetScanStatus();
    o.microns =
        o.scan.unit == units::kWavenumber ? units::Convert(o.scan.currentWw) : o.scan.currentWw;
    o.qcl = c.ReadCache([](const LaserCache& cache) { return cache.light.cur_qcl; });
    o.waitingForTrigger =
        (c.ReadCache([](const LaserCache& cache) { return cache.progress.indicator; }) &
         progress::kWaitingForTrigger) != 0;
    return o;
}

// Polls every `stepMs` until the scan is no longer in progress (or `limitMs` passes).
std::vector<Observed> PollUntilDone(SimRig& rig, std::uint64_t stepMs, std::uint64_t limitMs) {
    std::vector<Observed> seen;
    for (std::uint64_t t = 0; t <= limitMs; t += stepMs) {
        seen.push_back(Poll(rig, stepMs));
        if (!seen.back().scan.scanInProgress)
            break;
    }
    return seen;
}

// Writes an advanced sweep of one scan at 0.5 µm/s over the channels in use.
void WriteAdvancedSweep(SimRig& rig, std::array<std::uint8_t, 4> used, std::array<float, 4> start,
                        std::array<float, 4> stop) {
    rig.controller->UpdateCache([&](LaserCache& c) {
        c.sweepAdvanced = {.units = units::kMicrons,
                           .speed = 0.5f,
                           .numScans = 1,
                           .used = used,
                           .channelStart = start,
                           .channelStop = stop};
    });
    ASSERT_TRUE(rig.controller->ReadWriteSweepAdvancedParams(true));
}

void UseCrossover(SimRig& rig, bool on) {
    rig.controller->UpdateCache(
        [on](LaserCache& c) { c.globalPrefs.always_use_crossover = on ? 1 : 0; });
    ASSERT_TRUE(rig.controller->ReadWriteGlobalPreferences(true));
}

} // namespace

TEST(Tune, MovesToTheTargetWithProgressBitsThenHoldsTuned) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->TuneToWW(4.5f, units::kMicrons, 0, 0));

    // The first module is chosen; its TEC settles before the grating moves.
    Observed o = Poll(rig);
    EXPECT_TRUE(o.scan.scanInProgress);
    EXPECT_TRUE(o.scan.adjustingTemperature);
    EXPECT_TRUE(o.scan.adjustingWavelength);
    EXPECT_FALSE(o.scan.scanActive);
    EXPECT_EQ(o.qcl, 1);

    o = Poll(rig, sim::kTecSettleMs + 10);
    EXPECT_FALSE(o.scan.adjustingTemperature);
    EXPECT_TRUE(o.scan.adjustingWavelength);
    EXPECT_GT(o.microns, 4.5f);

    o = Poll(rig, 500);
    EXPECT_TRUE(o.scan.scanInProgress);
    EXPECT_TRUE(o.scan.scanActive);
    EXPECT_FALSE(o.scan.adjustingWavelength);
    EXPECT_FLOAT_EQ(o.microns, 4.5f);
    EXPECT_EQ(o.scan.scanPercent, 100);

    // A tune holds until it is stopped; the wavelength stays where it was.
    o = Poll(rig, 60000);
    EXPECT_TRUE(o.scan.scanInProgress);
    ASSERT_TRUE(rig.controller->StopScan());
    o = Poll(rig);
    EXPECT_FALSE(o.scan.scanInProgress);
    EXPECT_FALSE(o.scan.scanActive);
    EXPECT_FLOAT_EQ(o.microns, 4.5f);
}

// 5.02 µm lies where the first two modules overlap (4.2-5.05 and 5.0-6.06 µm).
TEST(Tune, PicksTheQclByPreferenceThenCurrentThenCrossover) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->TuneToWW(4.8f, units::kMicrons, 0, 0));
    EXPECT_EQ(Poll(rig, 2000).qcl, 1);

    // Without the crossover preference the lasing module keeps the overlap.
    UseCrossover(rig, false);
    ASSERT_TRUE(rig.controller->TuneToWW(5.04f, units::kMicrons, 0, 0));
    EXPECT_EQ(Poll(rig, 2000).qcl, 1);

    // With it, the switch sits in the middle of the overlap.
    UseCrossover(rig, true);
    ASSERT_TRUE(rig.controller->TuneToWW(5.04f, units::kMicrons, 0, 0));
    Observed o = Poll(rig);
    EXPECT_EQ(o.qcl, 2);
    EXPECT_TRUE(o.scan.adjustingTemperature);
    ASSERT_TRUE(rig.controller->TuneToWW(5.01f, units::kMicrons, 0, 0));
    EXPECT_EQ(Poll(rig, 2000).qcl, 1);

    // A preferred module that holds the target wins over both.
    ASSERT_TRUE(rig.controller->TuneToWW(5.01f, units::kMicrons, 0, 2));
    EXPECT_EQ(Poll(rig, 2000).qcl, 2);
    // One that does not is passed over.
    ASSERT_TRUE(rig.controller->TuneToWW(4.5f, units::kMicrons, 0, 3));
    EXPECT_EQ(Poll(rig, 2000).qcl, 1);
}

TEST(Sweep, RunsItsScansToTheEndOnTheSimulatedClock) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartSweepScan(4.3f, 4.9f, 0.2f, units::kMicrons, 2, false, 0));
    const auto seen = PollUntilDone(rig, 250, 20000);

    ASSERT_FALSE(seen.back().scan.scanInProgress) << "the scan never ended";
    std::set<std::uint16_t> scans;
    std::uint16_t lastPercent = 0;
    std::uint16_t lastScan = 1;
    float lastActiveMicrons = 0.0f;
    for (const auto& o : seen) {
        if (!o.scan.scanInProgress)
            break;
        scans.insert(o.scan.curScanNum);
        if (o.scan.curScanNum != lastScan) {
            lastScan = o.scan.curScanNum;
            lastPercent = 0;
            lastActiveMicrons = 0.0f;
        }
        EXPECT_GE(o.scan.scanPercent, lastPercent);
        lastPercent = o.scan.scanPercent;
        if (o.scan.scanActive) {
            EXPECT_GE(o.microns, lastActiveMicrons);
            EXPECT_GE(o.microns, 4.3f - 1e-4f);
            EXPECT_LE(o.microns, 4.9f + 1e-4f);
            lastActiveMicrons = o.microns;
        }
    }
    EXPECT_EQ(scans, (std::set<std::uint16_t>{1, 2}));
    // Two three-second passes and the moves before them.
    EXPECT_GE(seen.size() * 250, 6000u);
    EXPECT_LE(seen.size() * 250, 7500u);
    const Observed& end = seen.back();
    EXPECT_EQ(end.scan.curScanNum, 2);
    EXPECT_EQ(end.scan.scanPercent, 100);
    EXPECT_FALSE(end.scan.scanActive);
    EXPECT_NEAR(end.microns, 4.9f, 1e-4f);
}

TEST(Sweep, ABidirectionalScanComesBackToItsStart) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartSweepScan(4.3f, 4.9f, 0.6f, units::kMicrons, 1, true, 0));
    // The first module's grating starts in the middle of its range.
    const std::uint64_t toStart = sim::kTecSettleMs + sim::MoveDurationMs(4.625f, 4.3f);
    Observed o = Poll(rig, toStart + 1000); // to the start, then the whole way up
    EXPECT_NEAR(o.microns, 4.9f, 0.02f);
    EXPECT_NEAR(o.scan.scanPercent, 50, 2);
    const auto seen = PollUntilDone(rig, 100, 5000);
    EXPECT_FALSE(seen.back().scan.scanInProgress);
    EXPECT_NEAR(seen.back().microns, 4.3f, 1e-4f);
}

TEST(Sweep, WithoutACountRunsUntilStopped) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartSweepScan(4.3f, 4.4f, 1.0f, units::kMicrons, 0, false, 0));
    const Observed o = Poll(rig, 10000);
    EXPECT_TRUE(o.scan.scanInProgress);
    EXPECT_GT(o.scan.curScanNum, 10);
    ASSERT_TRUE(rig.controller->StopScan());
    EXPECT_FALSE(Poll(rig).scan.scanInProgress);
}

TEST(Sweep, PauseHoldsTheWavelengthAndResumeGoesOn) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartSweepScan(4.3f, 4.9f, 0.2f, units::kMicrons, 1, false, 0));
    const Observed before = Poll(rig, 2000);
    ASSERT_TRUE(before.scan.scanActive);
    ASSERT_TRUE(rig.controller->PauseScan());

    const Observed paused = Poll(rig, 1000);
    EXPECT_TRUE(paused.scan.scanInProgress);
    EXPECT_TRUE(paused.scan.statusBit7);
    EXPECT_FALSE(paused.scan.scanActive); // bit 4 cancels bit 3
    const Observed stillPaused = Poll(rig, 5000);
    EXPECT_FLOAT_EQ(stillPaused.microns, paused.microns);
    EXPECT_EQ(stillPaused.scan.scanPercent, paused.scan.scanPercent);
    EXPECT_FALSE(rig.controller->PauseScan()); // already paused

    ASSERT_TRUE(rig.controller->ResumeScan());
    const Observed resumed = Poll(rig, 500);
    EXPECT_TRUE(resumed.scan.scanActive);
    EXPECT_FALSE(resumed.scan.statusBit7);
    EXPECT_GT(resumed.microns, paused.microns);
    EXPECT_FALSE(rig.controller->ResumeScan()); // not paused
}

TEST(StepMeasure, InManualTriggerModeEachPointWaitsForATrigger) {
    SimRig rig;
    rig.laser.Modify([](sim::SimState& s) {
        s.laserParams.process_trigger_mode = process_trigger::kManual;
        s.laserParams.dwell_time = 400000; // µs
        s.laserParams.off_time = 100000;
    });
    ASSERT_TRUE(rig.controller->StartStepMeasureScan(4.3f, 4.5f, 0.1f, units::kMicrons, 1, true));

    Observed o = Poll(rig, 2000);
    EXPECT_TRUE(o.waitingForTrigger);
    EXPECT_TRUE(o.scan.scanActive);
    EXPECT_NEAR(o.microns, 4.3f, 1e-4f);
    o = Poll(rig, 30000); // no trigger, no progress
    EXPECT_TRUE(o.waitingForTrigger);
    EXPECT_EQ(o.scan.scanPercent, 0);

    ASSERT_TRUE(rig.controller->InjectProcessTrigger());
    o = Poll(rig, 100);
    EXPECT_FALSE(o.waitingForTrigger);
    o = Poll(rig, 600); // the dwell and off time, then the step to the next point
    EXPECT_TRUE(o.waitingForTrigger);
    EXPECT_NEAR(o.microns, 4.4f, 1e-4f);
    EXPECT_EQ(o.scan.scanPercent, 33);

    // A manual step during a dwell ends the dwell.
    ASSERT_TRUE(rig.controller->ManualStep());
    ASSERT_TRUE(rig.controller->ManualStep());
    o = Poll(rig, 300);
    EXPECT_TRUE(o.waitingForTrigger);
    EXPECT_NEAR(o.microns, 4.5f, 1e-4f);
    ASSERT_TRUE(rig.controller->InjectProcessTrigger());
    const auto seen = PollUntilDone(rig, 100, 2000);
    EXPECT_FALSE(seen.back().scan.scanInProgress);
    EXPECT_EQ(seen.back().scan.scanPercent, 100);
}

TEST(StepMeasure, AnUnevenSpanEndsOnTheStop) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartStepMeasureScan(1900.0f, 1875.0f, 10.0f, units::kWavenumber, 1,
                                                     false));
    // Points 1900, 1890, 1880 and 1875 cm-1, a second each, with short moves between them.
    const auto seen = PollUntilDone(rig, 100, 10000);
    ASSERT_FALSE(seen.back().scan.scanInProgress);
    EXPECT_NEAR(seen.back().microns, 10000.0f / 1875.0f, 1e-4f);
    const std::uint64_t moves =
        sim::MoveDurationMs((5.0f + 10000.0f / 1650.0f) / 2, 5.2632f) + 3 * sim::kMinMoveMs;
    EXPECT_NEAR(static_cast<double>(seen.size()) * 100,
                static_cast<double>(4000 + sim::kTecSettleMs + moves), 100);
}

TEST(MultiSpectral, VisitsEachElementForItsDwellAcrossModules) {
    SimRig rig;
    const std::vector<MultiSpectralElement> elements = {{4.5f, 300000, 0}, {7.0f, 300000, 200000}};
    ASSERT_TRUE(rig.controller->StartMultiSpectralScan(elements, units::kMicrons, 1, false));
    // 600 ms to settle and reach the first element, then its dwell.
    Observed o = Poll(rig, 700);
    EXPECT_EQ(o.qcl, 1);
    EXPECT_NEAR(o.microns, 4.5f, 1e-4f);
    EXPECT_GT(o.scan.scanPercent, 0);
    EXPECT_LT(o.scan.scanPercent, 50);

    // On to the third module: its TEC settles first.
    o = Poll(rig, 300);
    EXPECT_EQ(o.qcl, 3);
    EXPECT_TRUE(o.scan.adjustingTemperature);
    EXPECT_EQ(o.scan.scanPercent, 50);
    const auto seen = PollUntilDone(rig, 100, 3000);
    EXPECT_FALSE(seen.back().scan.scanInProgress);
    EXPECT_NEAR(seen.back().microns, 7.0f, 1e-4f);
}

TEST(AdvancedSweep, SweepsEachChannelInUseOnItsOwnModule) {
    SimRig rig(ControllerProfile::Sdk());
    WriteAdvancedSweep(rig, {1, 0, 1, 0}, {4.4f, 0, 6.5f, 0}, {4.6f, 0, 7.0f, 0});
    ASSERT_TRUE(rig.controller->StartSweepAdvancedScan());
    std::set<std::uint8_t> qcls;
    for (const auto& o : PollUntilDone(rig, 100, 10000)) {
        if (o.scan.scanActive)
            qcls.insert(o.qcl);
    }
    EXPECT_EQ(qcls, (std::set<std::uint8_t>{1, 3}));
    EXPECT_NEAR(Poll(rig).microns, 7.0f, 1e-4f);
}

TEST(AdvancedSweep, AChannelWithoutAModuleIsRefused) {
    SimRig rig(ControllerProfile::Sdk(), sim::InProcessTransport::Style::StreamShort,
               LaserWithQcls(2));
    WriteAdvancedSweep(rig, {0, 0, 1, 0}, {0, 0, 6.5f, 0}, {0, 0, 7.0f, 0});
    EXPECT_FALSE(rig.controller->StartSweepAdvancedScan());
}
