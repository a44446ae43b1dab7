// The tuning and scan commands against the simulated laser: the start sequences and where they
// stop, the records' bytes as the laser receives them, run control and the small records.
#include "codec/ByteOrder.h"
#include "support/CommandIds.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::vector<std::uint16_t> kStartSequence = {scan_mode::kCmd, 0, scan_operation::kCmd,
                                                   StatusMask::kCmd, ScanProgress::kCmd};

std::vector<std::uint16_t> StartSequenceWith(std::uint16_t recordCmd) {
    auto ids = kStartSequence;
    ids[1] = recordCmd;
    return ids;
}

} // namespace

TEST(TuneToWW, SendsModeRecordAndStartThenReadsTheStatus) {
    SimRig rig;
    rig.controller->UpdateCache([](LaserCache& c) { c.singleWW.reserved = {0xAB, 0xCD}; });
    TraceCapture trace;

    ASSERT_TRUE(rig.controller->TuneToWW(1650.0f, units::kWavenumber, 0, 2));

    EXPECT_EQ(ExecutedIds(rig.laser), StartSequenceWith(SingleWWParams::kCmd));
    EXPECT_EQ(rig.Requests(scan_mode::kCmd)[0], Bytes{scan_mode::kSingleTune});
    EXPECT_EQ(rig.Requests(scan_operation::kCmd)[0], Bytes{scan_operation::kStart});
    // 1650 (a big-endian float) in cm-1, no duration, QCL 2, no flag, the reserved bytes kept.
    EXPECT_EQ(rig.Requests(SingleWWParams::kCmd)[0],
              (Bytes{0x44, 0xCE, 0x40, 0x00, units::kWavenumber, 0, 0, 0, 0, 2, 0, 0xAB, 0xCD}));

    const auto cache = rig.Cache();
    EXPECT_EQ(cache.scanMode, scan_mode::kSingleTune);
    EXPECT_EQ(cache.scanOperation, scan_operation::kStart);
    EXPECT_EQ(cache.tunedQcl, 2);
    EXPECT_EQ(cache.singleWW.scan_ww, 1650.0f);
    EXPECT_TRUE(cache.status.mask & status::kScanInProgress);
    EXPECT_TRUE(trace.Contains("[Scan Mode] = 1"));
    EXPECT_TRUE(trace.Contains("[Single WW Params] scan_time_duration = 0, scan_ww = 1650.000000, "
                               "scan_ww_unit = 2 qcl = 2"));

    // A module number above four is sent as no preference.
    ASSERT_TRUE(rig.controller->TuneToWW(4.5f, units::kMicrons, 0, 7));
    EXPECT_EQ(rig.Requests(SingleWWParams::kCmd)[1][9], 0);
}

// Each step stops the sequence at its first failure; what went before stays written.
TEST(StartSequence, StopsAtTheFirstFailedStep) {
    struct Case {
        std::uint16_t failing;
        std::vector<std::uint16_t> sent;
    };
    for (const Case& c : {Case{scan_mode::kCmd, {}}, Case{SweepModeParams::kCmd, {scan_mode::kCmd}},
                          Case{scan_operation::kCmd, {scan_mode::kCmd, SweepModeParams::kCmd}}}) {
        SimRig rig;
        rig.InjectFor(c.failing, Fault::Nak);
        const auto before = rig.Cache();
        EXPECT_FALSE(rig.controller->StartSweepScan(4.3f, 4.9f, 0.1f, units::kMicrons, 1, false, 0))
            << c.failing;
        EXPECT_EQ(ExecutedIds(rig.laser), c.sent) << c.failing;
        const auto after = rig.Cache();
        if (c.failing == scan_mode::kCmd) {
            EXPECT_EQ(after.scanMode, before.scanMode);
        }
        if (c.failing != scan_operation::kCmd) {
            EXPECT_EQ(WireBytes(after.sweep), WireBytes(before.sweep));
        }
        EXPECT_EQ(after.scanOperation, before.scanOperation);
    }
}

TEST(StartSequence, ALaserThatRefusesTheStartFailsIt) {
    SimRig rig;
    // 3 µm lies below every module's range.
    EXPECT_FALSE(rig.controller->TuneToWW(3.0f, units::kMicrons, 0, 0));
    EXPECT_EQ(
        ExecutedIds(rig.laser),
        (std::vector<std::uint16_t>{scan_mode::kCmd, SingleWWParams::kCmd, scan_operation::kCmd}));
}

TEST(StartSequence, RefusesArgumentsTheLaserCouldOnlyMisreadWithoutSending) {
    SimRig rig;
    TraceCapture trace;
    const float nan = std::nanf("");
    EXPECT_FALSE(rig.controller->TuneToWW(nan, units::kMicrons, 0, 0));
    EXPECT_FALSE(rig.controller->TuneToWW(4.5f, 3, 0, 0));
    EXPECT_FALSE(rig.controller->StartSweepScan(4.3f, 4.9f, 0.0f, units::kMicrons, 1, false, 0));
    EXPECT_FALSE(rig.controller->StartSweepScan(-4.3f, 4.9f, 1.0f, units::kMicrons, 1, false, 0));
    EXPECT_FALSE(rig.controller->StartStepMeasureScan(4.3f, 4.9f, 0.0f, units::kMicrons, 1, true));
    EXPECT_FALSE(rig.controller->StartMultiSpectralScan({}, units::kMicrons, 1, false));
    EXPECT_FALSE(
        rig.controller->StartMultiSpectralScan({{0.0f, 1000, 0}}, units::kMicrons, 1, false));
    const std::vector<MultiSpectralElement> tooMany(21, {4.5f, 1000, 0});
    EXPECT_FALSE(rig.controller->StartMultiSpectralScan(tooMany, units::kMicrons, 1, false));
    EXPECT_TRUE(rig.laser.History().empty());
    EXPECT_EQ(rig.Cache().multiSpectral.num_ww, 0);
    EXPECT_TRUE(trace.Contains("[KTarvexController::StartSweepScan] refused: the scan speed must "
                               "be positive"));
}

TEST(StartSweepScan, GivesAllThreeUnitFieldsTheUnitAndKeepsTheReservedBytes) {
    SimRig rig;
    rig.controller->UpdateCache([](LaserCache& c) { c.sweep.reserved = {7, 8, 9}; });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->StartSweepScan(2000.0f, 1700.0f, 25.5f, units::kWavenumber, 0x0102,
                                               true, 2));
    EXPECT_EQ(ExecutedIds(rig.laser), StartSequenceWith(SweepModeParams::kCmd));
    EXPECT_EQ(rig.Requests(scan_mode::kCmd)[0], Bytes{scan_mode::kSweep});
    // Start 2000, stop 1700 and speed 25.5, each a big-endian float with its unit; 258 scans,
    // QCL 2, the reserved bytes kept, bidirectional.
    EXPECT_EQ(rig.Requests(SweepModeParams::kCmd)[0],
              (Bytes{0x44, 0xFA, 0x00, 0x00, 2,    0x44, 0xD4, 0x80, 0x00, 2, 0x41,
                     0xCC, 0x00, 0x00, 2,    0x01, 0x02, 2,    7,    8,    9, 1}));
    EXPECT_TRUE(trace.Contains(
        "[Sweep Mode Params] num scans = 258, scan_speed = 25.500000, scan_speed_unit = 2, "
        "scan_start_ww = 2000.000000, scan_start_unit = 2 scan_stop_ww = 1700.000000 "
        "scan_stop_unit = 2 qcl = 2"));
}

TEST(StartStepMeasureScan, WritesTheRecordAtItsOffsets) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartStepMeasureScan(4.3f, 4.9f, 0.25f, units::kMicrons, 3, true));
    EXPECT_EQ(ExecutedIds(rig.laser), StartSequenceWith(StepMeasureParams::kCmd));
    EXPECT_EQ(rig.Requests(scan_mode::kCmd)[0], Bytes{scan_mode::kStepMeasure});
    // Start 4.3, stop 4.9 and step 0.25 in um, 3 scans, the laser kept on.
    EXPECT_EQ(rig.Requests(StepMeasureParams::kCmd)[0],
              (Bytes{0x40, 0x89, 0x99, 0x9A, 1,    0x40, 0x9C, 0xCC, 0xCD, 1, 0x3E,
                     0x80, 0x00, 0x00, 1,    0x00, 0x03, 0x00, 0x01, 0,    0}));

    ASSERT_TRUE(rig.controller->StartStepMeasureScan(4.3f, 4.9f, 0.25f, units::kMicrons, 3, false));
    EXPECT_EQ(be::GetU16(rig.Requests(StepMeasureParams::kCmd)[1].data() + 17), 0);
}

TEST(StartMultiSpectralScan, TwentyElementsFillTheRecordUpToTheScanCount) {
    SimRig rig;
    std::vector<MultiSpectralElement> elements;
    for (std::uint32_t i = 0; i < 20; ++i)
        elements.push_back({4.3f + 0.03f * static_cast<float>(i), 1000 * (i + 1), 500});
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->StartMultiSpectralScan(elements, units::kMicrons, 4, true));

    EXPECT_EQ(ExecutedIds(rig.laser), StartSequenceWith(MultiSpectralParams::kCmd));
    const Bytes r = rig.Requests(MultiSpectralParams::kCmd)[0];
    ASSERT_EQ(r.size(), 248u);
    EXPECT_EQ(r[0], 20);
    EXPECT_EQ(r[1], units::kMicrons);
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(be::GetF32(r.data() + 2 + 12 * i), elements[i].scan_ww);
        EXPECT_EQ(be::GetU32(r.data() + 6 + 12 * i), elements[i].dwell_time);
        EXPECT_EQ(be::GetU32(r.data() + 10 + 12 * i), 500u);
    }
    EXPECT_EQ(be::GetU16(r.data() + 242), 4);
    EXPECT_EQ(be::GetU16(r.data() + 244), 1);
    EXPECT_EQ(trace.Count("[Internal Multi Spectral Params - element "), 20u);
    EXPECT_TRUE(trace.Contains("[Internal Multi Spectral Params - element 19] after_off_time = "
                               "500, dwell_time = 20000, scan_ww = "));
    const auto cached = rig.Cache().multiSpectral;
    EXPECT_EQ(cached.num_ww, 20);
    EXPECT_EQ(cached.elements[19].dwell_time, 20000u);
}

TEST(SweepAdvanced, AllChannelsTravelEvenWhenUnusedAndTheScanStartsWithoutARecord) {
    SimRig rig(ControllerProfile::Sdk());
    rig.controller->UpdateCache([](LaserCache& c) {
        c.sweepAdvanced = {.units = units::kMicrons,
                           .start = 4.3f,
                           .stop = 4.9f,
                           .speed = 0.2f,
                           .bidir = 1,
                           .numScans = 2,
                           .channelStart = {4.4f, 5.2f, 6.5f, 8.5f},
                           .channelStop = {4.8f, 5.8f, 7.5f, 9.5f},
                           .reserved = 0x01020304};
    });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteSweepAdvancedParams(true));
    const Bytes r = rig.Requests(SweepAdvancedParams::kCmd)[0];
    ASSERT_EQ(r.size(), 56u);
    EXPECT_EQ(be::GetF32(r.data() + 1), 4.3f);
    EXPECT_EQ(be::GetU16(r.data() + 14), 2);
    EXPECT_EQ(be::GetF32(r.data() + 20 + 4 * 3), 8.5f);
    EXPECT_EQ(be::GetF32(r.data() + 36 + 4 * 1), 5.8f);
    EXPECT_EQ(be::GetU32(r.data() + 52), 0x01020304u);
    EXPECT_EQ(trace.Count("Used: NO"), 4u);
    EXPECT_TRUE(trace.Contains("\tQCL[3], Start: 8.500000, Stop: 9.500000, Used: NO"));

    // The laser gives every channel back.
    rig.controller->UpdateCache([](LaserCache& c) { c.sweepAdvanced = {}; });
    ASSERT_TRUE(rig.controller->ReadWriteSweepAdvancedParams(false));
    const auto read = rig.Cache().sweepAdvanced;
    EXPECT_EQ(read.channelStop[2], 7.5f);
    EXPECT_EQ(read.reserved, 0x01020304u);

    // Its scan starts with mode seven and no record.
    rig.laser.ClearHistory();
    ASSERT_TRUE(rig.controller->StartSweepAdvancedScan());
    EXPECT_EQ(ExecutedIds(rig.laser),
              (std::vector<std::uint16_t>{scan_mode::kCmd, scan_operation::kCmd, StatusMask::kCmd,
                                          ScanProgress::kCmd}));
    EXPECT_EQ(rig.Requests(scan_mode::kCmd)[0], Bytes{scan_mode::kAdvancedSweep});
}

TEST(RunControl, SendsEachOperationCode) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartSweepScan(4.3f, 4.9f, 0.1f, units::kMicrons, 0, false, 0));
    rig.laser.ClearHistory();
    TraceCapture trace;
    EXPECT_TRUE(rig.controller->PauseScan());
    EXPECT_TRUE(rig.controller->ResumeScan());
    EXPECT_TRUE(rig.controller->ManualStep());
    EXPECT_TRUE(rig.controller->InjectProcessTrigger());
    EXPECT_TRUE(rig.controller->StopScan());
    std::vector<Bytes> codes = rig.Requests(scan_operation::kCmd);
    EXPECT_EQ(codes, (std::vector<Bytes>{{3}, {4}, {5}, {5}, {2}}));
    EXPECT_EQ(trace.Count("Scan Operation successfully executed"), 5u);
    EXPECT_EQ(rig.Cache().scanOperation, scan_operation::kStop);
    EXPECT_EQ(rig.Dispositions(scan_operation::kCmd), Bytes(6, kExecute)); // and the start

    // Nothing left to pause: the laser refuses, and the cached operation stays.
    EXPECT_FALSE(rig.controller->PauseScan());
    EXPECT_EQ(rig.Cache().scanOperation, scan_operation::kStop);
}

TEST(ScanRecords, AFailedReadLeavesTheCachedRecord) {
    SimRig rig;
    rig.controller->UpdateCache([](LaserCache& c) { c.stepMeasure.step_size = 0.5f; });
    rig.InjectFor(StepMeasureParams::kCmd, Fault::DropResponse);
    EXPECT_FALSE(rig.controller->ReadWriteStepMeasureParams(false));
    EXPECT_EQ(rig.Cache().stepMeasure.step_size, 0.5f);

    ASSERT_TRUE(rig.controller->ReadWriteStepMeasureParams(false));
    EXPECT_EQ(rig.Cache().stepMeasure.step_size, rig.State().scan.stepMeasure.step_size);
}

TEST(WavelengthTrigger, AReadAsksForTheCachedChannelAndAWriteSendsTheRecord) {
    SimRig rig(ControllerProfile::Sdk());
    rig.controller->UpdateCache([](LaserCache& c) {
        c.wlTrig = {.qclChan = 2,
                    .unit = units::kMicrons,
                    .start_ww = 6.5f,
                    .stop_ww = 7.5f,
                    .spacing = 0.25f};
    });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteWlTrigParams(true));
    EXPECT_TRUE(trace.Contains("[WL Trig Params] WL Trig Unit = 1, start_ww = 6.500000, stop_ww = "
                               "7.500000, spacing = 0.250000, QCL Chan = 2"));
    rig.controller->UpdateCache([](LaserCache& c) { c.wlTrig = {.qclChan = 2}; });
    ASSERT_TRUE(rig.controller->ReadWriteWlTrigParams(false));
    EXPECT_EQ(rig.Requests(WlTrigParams::kCmd)[1],
              (Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rig.Cache().wlTrig.stop_ww, 7.5f);
}

TEST(WavelengthTrigger, PulseWidthSetterClearsTheWordThatFollows) {
    SimRig rig;
    rig.controller->UpdateCache([](LaserCache& c) { c.wlTrigPulseWidth.extra = 0xFFFFFFFF; });
    rig.controller->SetWlTrigPulseWidth(250);
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteWlTrigPulseWidth(true));
    EXPECT_EQ(rig.Requests(WlTrigPulseWidth::kCmd)[0], (Bytes{0x00, 0xFA, 0, 0, 0, 0}));
    EXPECT_TRUE(trace.Contains("WL Trig Pls Width: 250 us"));
}

TEST(Pointer, GoesAsAnExecuteAndCachesWhatTheLaserReports) {
    SimRig rig;
    TraceCapture trace;
    // Without a pointer fitted the laser reports it off.
    ASSERT_TRUE(rig.controller->SetPointerEnable(true));
    EXPECT_EQ(rig.Cache().pointerEnable, 0);

    rig.laser.SetPointerFitted(true);
    ASSERT_TRUE(rig.controller->SetPointerEnable(true));
    EXPECT_EQ(rig.Cache().pointerEnable, 1);
    EXPECT_TRUE(trace.Contains("[ReadWrite Pointer Enable/Disable] enable_disable = 1"));
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    EXPECT_TRUE(rig.controller->StatusBit(status::kPointerOn));
    EXPECT_EQ(rig.Dispositions(kPointerEnableCmd), Bytes(2, kExecute));

    rig.InjectNext(Fault::Silent);
    EXPECT_FALSE(rig.controller->SetPointerEnable(false));
    EXPECT_EQ(rig.Cache().pointerEnable, 1);
}

// The heartbeat writes the scan picture while the caller reads it.
TEST(ScanStatus, SnapshotsStayConsistentWhileAnotherThreadReads) {
    SimRig rig;
    ASSERT_TRUE(rig.controller->StartSweepScan(4.3f, 4.9f, 0.2f, units::kMicrons, 0, false, 0));
    std::atomic<bool> done{false};
    std::thread heartbeat([&] {
        for (int i = 0; i < 200; ++i) {
            rig.controller->ReadStatusMask();
            rig.controller->ReadScanProgress();
            rig.controller->ReadInfoLight();
        }
        done = true;
    });
    while (!done) {
        const ScanStatus s = rig.controller->GetScanStatus();
        // A started scan is reported in progress in every snapshot.
        EXPECT_TRUE(s.scanInProgress);
        rig.controller->SetTunedQcl(1);
    }
    heartbeat.join();
}
