// The identity reads: the probe, the administration blocks of the laser and of each module, and
// the firmware versions of both boards.
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

TEST(Identity, OversizedLengthsAndModuleCountsAreCapped) {
    SimRig rig;
    rig.laser.SetHandler(AdminParams::kCmd, [](const sim::SimRequest&, sim::SimReply& reply) {
        std::uint8_t* p = reply.payload.data();
        p[10] = 9;   // num_qcls
        p[11] = 200; // model_num length
        std::memset(p + 12, 'M', 24);
        p[36] = 25; // serial_num length
        std::memset(p + 37, 'S', 24);
        p[61] = 'X'; // the byte after the serial number
    });
    ASSERT_TRUE(rig.controller->ReadWriteAdminParams(false));
    EXPECT_EQ(rig.controller->ModelNumber(), std::string(24, 'M'));
    EXPECT_EQ(rig.controller->SerialNumber(), std::string(24, 'S'));
    EXPECT_EQ(rig.controller->InstalledQcls(), 4u);

    ASSERT_TRUE(rig.controller->ReadWriteAdminQclParams(false));
    EXPECT_EQ(rig.Requests(AdminQclParams::kCmd).size(), 4u);
}

TEST(Identity, ModuleBlocksAreReadSlotBySlotPastAFailureAndAnswerForTheLast) {
    SimRig rig(ControllerProfile::Panel(), sim::InProcessTransport::Style::SerialThrow,
               LaserWithQcls(3));
    ASSERT_TRUE(rig.controller->ReadWriteAdminParams(false));
    rig.InjectFor(AdminQclParams::kCmd, Fault::StatusNonZero);
    TraceCapture trace;

    EXPECT_TRUE(rig.controller->ReadWriteAdminQclParams(false));
    const auto requests = rig.Requests(AdminQclParams::kCmd);
    ASSERT_EQ(requests.size(), 3u);
    for (std::uint8_t slot = 1; slot <= 3; ++slot) {
        EXPECT_EQ(requests[slot - 1][0], slot);
        EXPECT_TRUE(std::all_of(requests[slot - 1].begin() + 1, requests[slot - 1].end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
    const auto qcls = rig.Cache().adminQcl;
    EXPECT_EQ(qcls[0].slot, 0); // the failed slot kept its empty record
    const auto& second = rig.laser.Profile().qcls[1];
    EXPECT_EQ(qcls[1].slot, 2);
    EXPECT_EQ(qcls[1].is_available, 1);
    EXPECT_EQ(FieldText(qcls[1].serial_num_length, qcls[1].serial_num), second.serialNumber);
    EXPECT_EQ(qcls[1].max_ww, second.maxWw);
    EXPECT_EQ(qcls[1].max_dwell_time, second.maxDwellTime);
    EXPECT_EQ(qcls[1].ww_unit, units::kWavenumber);
    EXPECT_EQ(qcls[3].slot, 0);
    EXPECT_EQ(trace.Count("[Admin QCL Params] slot = "), 2u);
    EXPECT_TRUE(trace.Contains("[Admin QCL Params] slot = 2, major = 1, minor = 4 patch = 2 "
                               "is_available = 1min_drive_current = 0.000000"));

    // The read answers for its last slot.
    rig.InjectFor(AdminQclParams::kCmd, Fault::Silent, -1);
    EXPECT_FALSE(rig.controller->ReadWriteAdminQclParams(false));
}

TEST(Identity, ReadsStoreAndTraceWhatTheLaserReportsAndFailuresKeepIt) {
    SimRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadInfoSysInfo());
    EXPECT_TRUE(trace.Contains("[ReadInfoSysInfo] supported interface = 3, sysInfo = 1"));
    const auto& profile = rig.laser.Profile();
    EXPECT_EQ(rig.Cache().sysInfo.detail[0], profile.controllerFirmware.major);

    ASSERT_TRUE(rig.controller->ReadWriteAdminParams(false));
    EXPECT_EQ(rig.controller->SerialNumber(), profile.serialNumber);
    EXPECT_EQ(rig.controller->ModelNumber(), profile.modelNumber);
    EXPECT_EQ(rig.controller->InstalledQcls(), profile.qcls.size());
    const auto admin = rig.Cache().admin;
    EXPECT_NEAR(admin.hrs, profile.hours, 0.01);
    EXPECT_EQ(admin.motionHardwareVersion, profile.motionHardwareVersion);
    EXPECT_EQ(admin.motionFirmwareVersion, profile.motionFirmwareVersion);
    EXPECT_EQ(rig.Requests(AdminParams::kCmd).back(), std::vector<std::uint8_t>(74, 0));
    EXPECT_TRUE(trace.Contains("[Admin Params] major = 2, minor = 1, patch = 4, mfg_date = "
                               "2026-03-14 model_num =                 TVX-4100, serial_num = "
                               "                 TVX0042 num_qcls = 4 hrs = 1234.5"));
    EXPECT_TRUE(trace.Contains("motionModuleType = 0x2 motionFirmwareVersion = 0x130 "
                               "motionHardwareVersion = 0x102"));

    ASSERT_TRUE(rig.controller->ReadFwVersion());
    ASSERT_TRUE(rig.controller->ReadMbFwVersion());
    const auto fw = rig.controller->ControllerFirmware();
    EXPECT_EQ((std::array{fw.major, fw.minor, fw.patch, fw.pcb}),
              (std::array<std::uint8_t, 4>{2, 1, 4, 3}));
    EXPECT_EQ(rig.controller->MotionFirmware().minor, 3);
    EXPECT_TRUE(trace.Contains("[FW Ver] major: 2, minor: 1, patch: 4, PCB ver: -03"));
    EXPECT_TRUE(trace.Contains("[MB FW Ver] major: 1, minor: 3, patch: 0"));

    trace.Clear();
    const LaserCache before = rig.Cache();

    rig.InjectNext(Fault::CorruptResponse);
    EXPECT_FALSE(rig.controller->ReadWriteAdminParams(false));
    rig.InjectNext(Fault::StatusNonZero);
    EXPECT_FALSE(rig.controller->ReadFwVersion());
    rig.InjectNext(Fault::Nak);
    EXPECT_FALSE(rig.controller->ReadInfoSysInfo());

    const LaserCache after = rig.Cache();
    EXPECT_EQ(WireBytes(after.admin), WireBytes(before.admin));
    EXPECT_EQ(WireBytes(after.firmware), WireBytes(before.firmware));
    EXPECT_EQ(WireBytes(after.sysInfo), WireBytes(before.sysInfo));
    EXPECT_FALSE(trace.Contains("[Admin Params]"));
    EXPECT_FALSE(trace.Contains("[FW Ver]"));
}

TEST(Identity, OverallTuningRangeCombinesModulesReportingInDifferentUnits) {
    SimRig rig; // modules in um (4.2-5.05, 6.0-8.1) and in cm-1 (1650-2000, 950-1250)
    ASSERT_TRUE(rig.controller->ReadWriteAdminParams(false));
    ASSERT_TRUE(rig.controller->ReadWriteAdminQclParams(false));
    const TuningRange range = rig.controller->OverallTuningRange();
    EXPECT_EQ(range.unit, units::kWavenumber); // the last available module's
    EXPECT_FLOAT_EQ(range.min, 950.0f);
    EXPECT_FLOAT_EQ(range.max, 10000.0f / 4.2f);
    const TuningRange microns = range.In(units::kMicrons);
    EXPECT_FLOAT_EQ(microns.min, 4.2f);
    EXPECT_FLOAT_EQ(microns.max, 10000.0f / 950.0f);

    LaserCache none;
    none.admin.num_qcls = 2; // installed, but neither available
    EXPECT_TRUE(OverallTuningRange(none).Empty());
}
