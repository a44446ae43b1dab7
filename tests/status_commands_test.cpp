// The status and readback commands against the simulated laser: what each caches, what a
// failure leaves behind, the per-slot loops, the fault rings and the fault clearing.
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

// Answers a command with fixed payload bytes.
sim::SimLaser::Handler Reply(std::vector<std::uint8_t> bytes) {
    return [bytes](const sim::SimRequest&, sim::SimReply& reply) {
        std::copy(bytes.begin(), bytes.end(), reply.payload.begin());
    };
}

} // namespace

TEST(InfoLight, DecodesTheWavelengthAtItsOddOffsetAndKeepsTheLastLasingQcl) {
    SimRig rig;
    // Light out and valid, 1650.25 as a big-endian float, cm-1, QCL 2.
    rig.laser.SetHandler(InfoLight::kCmd, Reply({1, 1, 0x44, 0xCE, 0x48, 0x00, 2, 2}));
    TraceCapture trace;

    ASSERT_TRUE(rig.controller->ReadInfoLight());
    const auto light = rig.Cache().light;
    EXPECT_EQ(light.current_ww, 1650.25f);
    EXPECT_EQ(light.unit, units::kWavenumber);
    EXPECT_EQ(rig.controller->ActiveQcl(), 2);
    EXPECT_TRUE(trace.Contains(
        "[InfoLight] current_ww = 1650.250000 unit = 2 cur_qcl = 2 light_out = 1 light_valid = 1"));

    // A reply that names no lasing module keeps the active QCL.
    rig.laser.SetHandler(InfoLight::kCmd, Reply({1, 1, 0x44, 0xCE, 0x48, 0x00, 2, 0}));
    ASSERT_TRUE(rig.controller->ReadInfoLight());
    EXPECT_EQ(rig.controller->ActiveQcl(), 2);
    EXPECT_EQ(rig.Cache().light.cur_qcl, 0);
}

TEST(PerSlotReadback, SendsOneRequestPerInstalledSlotUnderOneSequenceNumber) {
    SimRig rig;
    rig.SetInstalledQcls(3);
    rig.controller->UpdateCache([](LaserCache& c) { c.qclInfo[3].actual_temp = 99.0f; });

    ASSERT_TRUE(rig.controller->ReadQclInfoParam());
    const auto requests = rig.Requests(QclInfoParam::kCmd);
    ASSERT_EQ(requests.size(), 3u);
    for (std::uint8_t slot = 1; slot <= 3; ++slot)
        EXPECT_EQ(requests[slot - 1], WireBytes(QclInfoParam{slot, 0, 0, 0, 0}));
    const auto packets = rig.SentPackets();
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0].GetHeader().seqnum, packets[2].GetHeader().seqnum);

    const auto info = rig.Cache().qclInfo;
    const auto& profile = rig.laser.Profile();
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(info[i].qcl_slot, i + 1);
        EXPECT_EQ(info[i].actual_temp, profile.qcls[i].setPointTemp);
    }
    EXPECT_EQ(info[3].actual_temp, 99.0f);
}

TEST(PerSlotReadback, AFailedSlotKeepsItsRecordAndIsTracedFromIt) {
    SimRig rig;
    rig.SetInstalledQcls(2);
    rig.controller->UpdateCache([](LaserCache& c) { c.qclInfo2[0].qclTemp = 42.5f; });
    rig.InjectFor(QclInfoParam2::kCmd, Fault::StatusNonZero);
    TraceCapture trace;

    EXPECT_TRUE(rig.controller->ReadQclInfoParam2()); // the last slot's result
    EXPECT_EQ(rig.Cache().qclInfo2[0].qclTemp, 42.5f);
    EXPECT_EQ(trace.Count("[QclInfoParam2], qcl_slot, "), 2u);
    EXPECT_TRUE(trace.Contains("[QclInfoParam2], qcl_slot, 1, qclV, 0.000000, qclVfet, "
                               "0.000000, qclVsrc, 0.000000, qclCurrent, 0.000000, qclTemp, "
                               "42.500000"));

    rig.InjectFor(QclInfoParam::kCmd, Fault::StatusNonZero, -1);
    EXPECT_FALSE(rig.controller->ReadQclInfoParam());
}

TEST(PerSlotReadback, WithNoModuleInstalledSendsNothing) {
    SimRig rig;
    rig.SetInstalledQcls(0);
    EXPECT_FALSE(rig.controller->ReadQclInfoParam());
    EXPECT_FALSE(rig.controller->ReadQclInfoParam2());
    EXPECT_FALSE(rig.controller->ReadWriteAdminQclParams(false));
    EXPECT_TRUE(rig.transport->Sent().empty());
}

// Every slot of a per-slot read shares one sequence number, so only the slot byte tells a late
// answer to one slot from the answer to the next: one late reply must not shift the slots after
// it, whether the transport gave up on it (serial) or took it on a resent attempt (UDP).
struct PerSlotRead {
    const char* name;
    std::uint16_t cmdID;
    bool (*read)(KTarvexController&);
    std::uint8_t (*cachedSlot)(const LaserCache&, std::size_t index);
};
void PrintTo(const PerSlotRead& param, std::ostream* os) {
    *os << param.name;
}

class LateSlotReply
    : public ::testing::TestWithParam<std::tuple<PerSlotRead, sim::InProcessTransport::Style>> {};

TEST_P(LateSlotReply, IsNotTakenForTheNextSlot) {
    const auto& [perSlot, style] = GetParam();
    SimRig rig(ControllerProfile::Panel(), style);
    rig.SetInstalledQcls(4);
    rig.transport->SetTimeouts(1000, 0);
    rig.faults.Add({.fault = Fault::Delay, .cmdID = perSlot.cmdID, .count = 1, .delayMs = 1500});
    TraceCapture trace;

    EXPECT_TRUE(perSlot.read(*rig.controller)); // the last slot's result
    const LaserCache cache = rig.Cache();
    for (std::size_t index = 0; index < 4; ++index) {
        const std::uint8_t cached = perSlot.cachedSlot(cache, index);
        EXPECT_TRUE(cached == 0 || cached == index + 1)
            << "slot " << index + 1 << " holds " << int(cached);
    }
    // The slot that met the stale reply purged its own with it; the later ones are unharmed.
    EXPECT_EQ(perSlot.cachedSlot(cache, 1), 0);
    EXPECT_EQ(perSlot.cachedSlot(cache, 2), 3);
    EXPECT_EQ(perSlot.cachedSlot(cache, 3), 4);
    EXPECT_TRUE(trace.Contains("reply for slot 1 where slot 2 was asked, discarded"));
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, LateSlotReply,
    ::testing::Combine(
        ::testing::Values(
            PerSlotRead{"AdminQclParams", AdminQclParams::kCmd,
                        [](KTarvexController& c) { return c.ReadWriteAdminQclParams(false); },
                        [](const LaserCache& c, std::size_t i) { return c.adminQcl[i].slot; }},
            PerSlotRead{"QclInfoParam", QclInfoParam::kCmd,
                        [](KTarvexController& c) { return c.ReadQclInfoParam(); },
                        [](const LaserCache& c, std::size_t i) { return c.qclInfo[i].qcl_slot; }},
            PerSlotRead{"QclInfoParam2", QclInfoParam2::kCmd,
                        [](KTarvexController& c) { return c.ReadQclInfoParam2(); },
                        [](const LaserCache& c, std::size_t i) { return c.qclInfo2[i].qcl_slot; }},
            PerSlotRead{"LaserQclParams", LaserQclParams::kCmd,
                        [](KTarvexController& c) { return c.ReadWriteLaserQclParams(false); },
                        [](const LaserCache& c, std::size_t i) { return c.qclParams[i].slot; }}),
        ::testing::Values(sim::InProcessTransport::Style::SerialThrow,
                          sim::InProcessTransport::Style::DatagramThrow)),
    [](const auto& param) {
        return std::string(std::get<0>(param.param).name) +
               (std::get<1>(param.param) == sim::InProcessTransport::Style::SerialThrow ? "Serial"
                                                                                        : "Udp");
    });

TEST(InfoTemps, TracesTheSevenTemperatures) {
    SimRig rig;
    std::vector<std::uint8_t> bytes(28, 0);
    const float temps[] = {27.5f, 28.125f, 34.0f, 22.0f, 25.25f, 0.0f, -1.5f};
    for (std::size_t i = 0; i < 7; ++i)
        be::PutF32(bytes.data() + 4 * i, temps[i]);
    rig.laser.SetHandler(InfoTemps::kCmd, Reply(bytes));
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadInfoTemps());
    EXPECT_TRUE(trace.Contains("[ReadInfoTemps] BTemp1 = 27.500, BTemp2 = 28.125, PCB Temp = "
                               "34.000, Aux Temp1 = 22.000, Aux Temp2 = 25.250, Aux Temp3 = "
                               "0.000, Aux Temp4 = -1.500"));
}

TEST(FaultRings, WrapAfterTwentyCodesAndAreCopiedOut) {
    SimRig rig;
    for (std::uint16_t code = 101; code <= 122; ++code)
        rig.laser.InjectError(code);
    rig.laser.InjectWarning(7);
    TraceCapture trace;

    SystemErrorsList list;
    ASSERT_TRUE(rig.controller->ReadSystemErrors(list));
    EXPECT_EQ(list.errorsNumItems, 20);
    EXPECT_EQ(list.errorsIndex, 2);
    EXPECT_EQ(list.errors[1], 122); // the newest at index - 1
    EXPECT_EQ(list.errors[0], 121);
    EXPECT_EQ(list.errors[19], 120); // walking back wraps from 0 to 19
    EXPECT_EQ(list.warningsNumItems, 1);
    EXPECT_EQ(list.warnings[list.warningsIndex - 1], 7);
    EXPECT_TRUE(trace.Contains("[System Errors List] Num Items: 20, Index: 2"));
    EXPECT_TRUE(trace.Contains("[System Warnings List] Num Items: 1, Index: 1"));

    // A failed read still hands out the previous lists.
    rig.laser.InjectError(999);
    rig.InjectNext(Fault::DropResponse);
    SystemErrorsList again;
    EXPECT_FALSE(rig.controller->ReadSystemErrors(again));
    EXPECT_EQ(WireBytes(again), WireBytes(list));
}

TEST(ScanProgress, ScanActiveCountsOnlyWithoutItsCancellingBit) {
    SimRig rig;
    std::vector<std::uint8_t> bytes = {0x08 | 0x10, 0x01, 0x02, 0x00, 0x63};
    rig.laser.SetHandler(ScanProgress::kCmd, Reply(bytes));
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadScanProgress());
    auto scan = rig.controller->GetScanStatus();
    EXPECT_FALSE(scan.scanActive);
    EXPECT_EQ(scan.curScanNum, 0x0102);
    EXPECT_EQ(scan.scanPercent, 99);
    EXPECT_TRUE(trace.Contains(
        "[Scan Progress] scanprogressindicator = 0x18 cur_scan_num = 258, scan_percent = 99"));

    bytes[0] = 0x08 | 0x02;
    rig.laser.SetHandler(ScanProgress::kCmd, Reply(bytes));
    ASSERT_TRUE(rig.controller->ReadScanProgress());
    scan = rig.controller->GetScanStatus();
    EXPECT_TRUE(scan.scanActive);
    EXPECT_TRUE(scan.adjustingWavelength);
}

// The status mask carries the fault bit and error word that the clear must see gone.
TEST(ClearFault, SucceedsOnlyOnceTheFaultIsGone) {
    SimRig rig;
    rig.laser.InjectError(0x31);
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    EXPECT_TRUE(rig.controller->StatusBit(status::kSystemError));
    EXPECT_EQ(rig.controller->SystemErrorWord(), 0x31);
    // Interlock, key switch, TECs at temperature and the system error.
    EXPECT_TRUE(trace.Contains("[StatusMask] = 107"));

    EXPECT_TRUE(rig.controller->ClearFault());
    EXPECT_EQ(rig.Requests(kClearFaultCmd).back(), std::vector<std::uint8_t>{kClearActiveFault});
    EXPECT_FALSE(rig.controller->StatusBit(status::kSystemError));
    EXPECT_EQ(rig.controller->SystemErrorWord(), 0);
    EXPECT_TRUE(trace.Contains("[Exec Clear fault successful]"));

    // It fails while the fault is still reported.
    rig.laser.InjectError(0x31);
    rig.laser.Modify([](sim::SimState& s) { s.faultCausePresent = true; });
    EXPECT_FALSE(rig.controller->ClearFault());
    EXPECT_TRUE(rig.controller->StatusBit(status::kSystemError));

    // A non-zero error word alone is enough to fail it.
    rig.laser.Modify([](sim::SimState& s) {
        s.faultCausePresent = false;
        s.activeFault = false;
    });
    rig.laser.SetHandler(kClearFaultCmd, [](const sim::SimRequest&, sim::SimReply&) {});
    EXPECT_FALSE(rig.controller->ClearFault());
    EXPECT_FALSE(rig.controller->StatusBit(status::kSystemError));

    // A refused clear skips the status read.
    const std::size_t statusReads = rig.laser.Executed(StatusMask::kCmd);
    rig.InjectFor(kClearFaultCmd, Fault::Nak);
    EXPECT_FALSE(rig.controller->ClearFault());
    EXPECT_EQ(rig.laser.Executed(StatusMask::kCmd), statusReads);
}

TEST(ClearFaultList, EmptiesTheRingsAndTracesItsResult) {
    SimRig rig;
    rig.laser.InjectError(5);
    rig.laser.InjectWarning(6);
    TraceCapture trace;
    EXPECT_TRUE(rig.controller->ClearFaultList());
    EXPECT_EQ(rig.Requests(kClearFaultCmd).back(), std::vector<std::uint8_t>{kClearFaultList});
    SystemErrorsList list;
    ASSERT_TRUE(rig.controller->ReadSystemErrors(list));
    EXPECT_EQ(list.errorsNumItems + list.warningsNumItems, 0);
    EXPECT_TRUE(trace.Contains("[Clear Fault List] returned TRUE"));

    rig.InjectNext(Fault::Silent);
    EXPECT_FALSE(rig.controller->ClearFaultList());
    EXPECT_TRUE(trace.Contains("[Clear Fault List] returned FALSE"));
}
