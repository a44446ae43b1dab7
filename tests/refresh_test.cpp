// The full read of the laser's state: its fixed order, the first failure ending the main chain
// while the version reads still follow, the firmware gates, and the per-mode variants.
#include "support/CommandIds.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

constexpr std::uint16_t kScanModeCmd = 50;
constexpr std::uint16_t kTestLaserInfoCmd = 1009;

// The main chain of a laser with two QCLs and one saved state in use.
const Ids kMainChain = {150, 150, 151, 151, 1,   2,   2,   9,   9,   3,   50,  51,   52,  55,
                        56,  100, 101, 101, 102, 200, 206, 207, 208, 205, 204, 1015, 1015};

sim::LaserProfile Laser(FirmwareVersion firmware) {
    auto profile = LaserWithQcls(2);
    profile.controllerFirmware = firmware;
    return profile;
}

struct RefreshRig : SimRig {
    explicit RefreshRig(FirmwareVersion firmware = {2, 1, 4, 3, 0},
                        ControllerProfile profile = ControllerProfile::Panel())
        : SimRig(profile, sim::InProcessTransport::Style::SerialThrow, Laser(firmware)) {
        SetSavedStatesInUse(1);
    }
    // The saved-state table reports the first `count` entries in use.
    void SetSavedStatesInUse(std::uint8_t count) {
        laser.SetHandler(SavedStateTable::kCmd, [count](const sim::SimRequest&, sim::SimReply& r) {
            SavedStateTable table;
            table.count = count;
            for (std::uint8_t i = 0; i < kSavedStateEntries; ++i) {
                table.inUse[i] = i < count ? 1 : 0;
                table.slot[i] = static_cast<std::uint8_t>(i + 1);
            }
            wire::Encode(table, r.payload.data());
        });
    }
    Ids Executed() const { return ExecutedIds(laser); }
};

} // namespace

// The SDK's refresh reads the same but traces nothing of its own.
TEST(Refresh, ReadsTheWholeStateInOrder) {
    for (bool panel : {true, false}) {
        RefreshRig rig({2, 1, 4, 3, 0},
                       panel ? ControllerProfile::Panel() : ControllerProfile::Sdk());
        TraceCapture trace;
        EXPECT_TRUE(rig.controller->refresh());
        EXPECT_EQ(rig.Executed(), Concat(kMainChain, {154, 156, 79, 1009}));
        EXPECT_EQ(rig.controller->InstalledQcls(), 2u);
        EXPECT_EQ(trace.Contains("KTarvexController::refresh"), panel);
        EXPECT_EQ(trace.Contains(panel ? "fRet = TRUE" : "fRet"), panel);
        EXPECT_EQ(trace.Contains(panel ? "Number of ticks = 0" : "Number of ticks"), panel);
    }
}

// A refused scan mode, or no saved state in use (the TEC read is skipped), ends the main chain;
// the version reads follow all the same.
TEST(Refresh, AFailureEndsTheMainChainButNotTheVersionReads) {
    for (bool refusedScanMode : {true, false}) {
        RefreshRig rig;
        if (refusedScanMode)
            rig.InjectFor(kScanModeCmd, sim::Fault::Nak);
        else
            rig.SetSavedStatesInUse(0);
        TraceCapture trace;
        EXPECT_FALSE(rig.controller->refresh());
        const Ids upToFailure(kMainChain.begin(), kMainChain.begin() + (refusedScanMode ? 10 : 24));
        EXPECT_EQ(rig.Executed(), Concat(upToFailure, {154, 156, 79, 1009}));
        EXPECT_TRUE(trace.Contains("fRet = FALSE"));
        // The failed write attempt's waits are in the duration.
        EXPECT_EQ(trace.Contains("Number of ticks = 700"), refusedScanMode);
    }
}

TEST(Refresh, FirmwareGatesTheMotionBoardAndTriggerPulseWidthReads) {
    const std::pair<FirmwareVersion, Ids> gated[] = {{{1, 7, 14, 0, 0}, {1009}},
                                                     {{1, 7, 15, 0, 0}, {156, 1009}},
                                                     {{1, 8, 12, 0, 0}, {156, 1009}},
                                                     {{1, 8, 13, 0, 0}, {156, 79, 1009}}};
    for (const auto& [firmware, afterVersion] : gated) {
        RefreshRig rig(firmware);
        EXPECT_TRUE(rig.controller->refresh());
        EXPECT_EQ(rig.Executed(), Concat(Concat(kMainChain, {154}), afterVersion))
            << VersionName(firmware);
    }
}

TEST(Refresh, EthernetTestModeReadsOnlyTheTestLaserInfo) {
    RefreshRig rig;
    rig.controller->SetOperatingMode(operating_mode::kEthernetTest);
    TraceCapture trace;
    EXPECT_TRUE(rig.controller->refresh());
    EXPECT_EQ(rig.Executed(), Ids{kTestLaserInfoCmd});
    EXPECT_FALSE(trace.Contains("fRet"));

    rig.InjectFor(kTestLaserInfoCmd, sim::Fault::Nak);
    EXPECT_FALSE(rig.controller->refresh());
}

TEST(Refresh, ManufacturingModeKeepsTheFirstSourceVoltagesAsInitial) {
    RefreshRig rig;
    rig.controller->SetOperatingMode(operating_mode::kManufacturing);
    float reported = 12.5f;
    rig.laser.SetHandler(LaserQclVsrc::kCmd,
                         [&](const sim::SimRequest& request, sim::SimReply& reply) {
                             LaserQclVsrc vsrc;
                             vsrc.slot = request.payload[0];
                             vsrc.vsrc = reported + vsrc.slot;
                             vsrc.maxPulsed = 20.0f;
                             vsrc.maxCw = 15.0f;
                             wire::Encode(vsrc, reply.payload.data());
                         });
    EXPECT_TRUE(rig.controller->refresh());
    EXPECT_EQ(rig.Requests(LaserQclVsrc::kCmd).size(), 2u);
    reported = 14.0f;
    EXPECT_TRUE(rig.controller->refresh());

    const LaserCache cache = rig.Cache();
    EXPECT_FLOAT_EQ(cache.initialVsrc[0].vsrc, 13.5f);
    EXPECT_FLOAT_EQ(cache.initialVsrc[1].vsrc, 14.5f);
    EXPECT_FLOAT_EQ(cache.vsrc[1].vsrc, 16.0f);
    EXPECT_EQ(rig.Requests(LaserQclVsrc::kCmd).size(), 4u);
}
