// Thousands of exchanges through every fault the simulated link can suffer, mixed at a few
// percent each, on simulated time. The laser's values change before every operation, so that a
// late or misdirected reply taken for the operation's own would show as a value the laser no
// longer holds; silence bursts must raise link lost, and the link must come back after each.
#include "FaultMix.h"
#include "support/SimRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;
using Style = sim::InProcessTransport::Style;

namespace {

// The controller's own read time-out outside the heartbeat, which a heartbeat cycle gives back.
constexpr std::uint32_t kReadTimeoutMs = 2000;
constexpr double kRate = 0.02;
constexpr int kBursts = 25;
constexpr int kOperationsBetweenBursts = 400;
// A soak that found this many wrong values has said enough.
constexpr int kWrongToStop = 5;
// Packets a burst silences: more failures in a row than link lost needs, even when the
// operation under way at the burst's end succeeds after it.
constexpr int kBurstPackets = 12;
constexpr std::uint8_t kLinkLostFailures = 6;
// A link that is back answers within this many operations despite the other faults.
constexpr int kRecoveryOperations = 8;
constexpr std::uint8_t kQcls = 4;

struct Link {
    const char* name;
    ControllerProfile profile;
    Style style;
};
void PrintTo(const Link& link, std::ostream* os) {
    *os << link.name;
}
std::string LinkName(const ::testing::TestParamInfo<Link>& link) {
    return link.param.name;
}

// What a record in the cache may hold after an operation.
enum class Expect {
    Fresh,     // what the laser holds now: the operation succeeded
    Unchanged, // what it held before: the operation failed
    Either,    // one of the two: a part of the operation of unknown outcome
};

class FaultSoak : public ::testing::TestWithParam<Link> {
protected:
    FaultSoak() : rig(GetParam().profile, GetParam().style) {
        rig.SetInstalledQcls(kQcls);
        rig.transport->SetTimeouts(kReadTimeoutMs, 0);
        rig.controller->SetLinkLostCallback([this] { ++linkLost; });
        rig.controller->UpdateCache(
            [this](LaserCache& c) { c.laserParams = rig.State().laserParams; });
        InstallFaults(0);
    }

    // The mix, behind a burst of `silentPackets` silent exchanges when there is one.
    void InstallFaults(int silentPackets) {
        rig.faults.Clear();
        if (silentPackets > 0)
            rig.faults.Add(sim::SilenceBurst(silentPackets));
        for (const auto& rule : sim::MixedFaults(kRate, kReadTimeoutMs))
            rig.faults.Add(rule);
    }

    // One operation, chosen at random so that a command often follows one of its own kind;
    // true when it succeeded.
    bool Operate() {
        const int kinds = GetParam().profile.heartbeat ? 6 : 5;
        const LaserCache before = rig.Cache();
        ++operation;
        switch (values() % kinds) {
        case 0:
            return Read(before, &KTarvexController::ReadStatusMask);
        case 1:
            return Read(before, &KTarvexController::ReadInfoLight);
        case 2:
            return Read(before, &KTarvexController::ReadQclInfoParam);
        case 3:
            return Read(before, &KTarvexController::ReadQclInfoParam2);
        case 4:
            return WriteLaserParams(before);
        default:
            return HeartbeatCycle(before);
        }
    }

    // A read of values the laser takes up just before it.
    bool Read(const LaserCache& before, bool (KTarvexController::*read)()) {
        PinValues();
        const bool ok = ((*rig.controller).*read)();
        const LaserCache after = rig.Cache();
        const Expect expect = ok ? Expect::Fresh : Expect::Unchanged;
        if (read == &KTarvexController::ReadStatusMask)
            CheckStatus(before, after, expect);
        else if (read == &KTarvexController::ReadInfoLight)
            CheckLight(before, after, expect);
        else
            CheckSlots(before, after, read == &KTarvexController::ReadQclInfoParam, ok);
        return ok;
    }

    // Every read of the cycle has its own outcome, published together when it ends; the cycle
    // counts as successful when its status read came through.
    bool HeartbeatCycle(const LaserCache& before) {
        PinValues();
        rig.controller->HeartbeatCycle();
        const LaserCache after = rig.Cache();
        CheckStatus(before, after, Expect::Either);
        CheckLight(before, after, Expect::Either);
        for (bool first : {true, false})
            CheckSlots(before, after, first, std::nullopt);
        return after.status.mask == rig.laser.StatusMask();
    }

    bool WriteLaserParams(const LaserCache& before) {
        const auto dwell = static_cast<std::uint32_t>(1000 + operation);
        rig.controller->UpdateCache([dwell](LaserCache& c) { c.laserParams.dwell_time = dwell; });
        const bool ok = rig.controller->ReadWriteLaserParams(true);
        const std::uint32_t held = rig.State().laserParams.dwell_time;
        const std::uint32_t cached = rig.Cache().laserParams.dwell_time;
        // The cache holds the value written whether or not the write went through.
        Check(cached == dwell, ok, "dwell time in the cache", dwell, cached);
        Check(!ok || held == dwell, ok, "dwell time written", dwell, held);
        // The cache goes back to what the laser holds, for the next operation's comparison.
        rig.controller->UpdateCache([&](LaserCache& c) { c.laserParams = before.laserParams; });
        if (ok)
            rig.controller->UpdateCache([held](LaserCache& c) { c.laserParams.dwell_time = held; });
        return ok;
    }

    // Values of this operation alone, where a reply can be told from another's.
    float Wavelength() const { return 4.0f + static_cast<float>(operation) * 0.0001f; }
    std::uint8_t LasingQcl() const { return static_cast<std::uint8_t>(1 + operation % kQcls); }
    float Temperature(std::size_t index) const {
        return 15.0f + static_cast<float>(operation) * 0.001f + static_cast<float>(index) * 0.25f;
    }
    void PinValues() {
        rig.laser.SetStatusMask(static_cast<std::uint32_t>(values()));
        rig.laser.Modify([this](sim::SimState& s) {
            s.displayUnits.ww = units::kMicrons;
            s.wavelengthMicrons = Wavelength();
            s.curQcl = LasingQcl();
            s.lightValid = true;
            for (std::size_t i = 0; i < kQcls; ++i)
                s.qcl[i].params.temp = s.qcl[i].tecTemp = Temperature(i);
        });
    }

    static bool Meets(Expect expect, bool fresh, bool unchanged) {
        return expect == Expect::Fresh       ? fresh
               : expect == Expect::Unchanged ? unchanged
                                             : fresh || unchanged;
    }

    void CheckStatus(const LaserCache& before, const LaserCache& after, Expect expect) {
        const std::uint32_t held = rig.laser.StatusMask();
        Check(Meets(expect, after.status.mask == held, after.status.mask == before.status.mask),
              expect == Expect::Fresh, "status mask", held, after.status.mask);
    }

    void CheckLight(const LaserCache& before, const LaserCache& after, Expect expect) {
        const bool fresh = after.light.current_ww == Wavelength() && after.activeQcl == LasingQcl();
        const bool unchanged = after.light.current_ww == before.light.current_ww &&
                               after.activeQcl == before.activeQcl;
        Check(Meets(expect, fresh, unchanged), expect == Expect::Fresh, "wavelength", Wavelength(),
              after.light.current_ww);
    }

    // Every slot holds its old record or the one the laser holds now; a per-slot read's result
    // (`ok`, none in a heartbeat cycle) is its last slot's.
    void CheckSlots(const LaserCache& before, const LaserCache& after, bool first,
                    std::optional<bool> ok) {
        for (std::size_t i = 0; i < kQcls; ++i) {
            const auto pick = [&](const LaserCache& c) {
                return first ? std::pair(c.qclInfo[i].qcl_slot, c.qclInfo[i].actual_temp)
                             : std::pair(c.qclInfo2[i].qcl_slot, c.qclInfo2[i].qclTemp);
            };
            const auto [slot, value] = pick(after);
            const bool last = i + 1 == kQcls;
            const Expect expect = !ok || !last ? Expect::Either
                                  : *ok        ? Expect::Fresh
                                               : Expect::Unchanged;
            Check(Meets(expect, slot == i + 1 && value == Temperature(i),
                        pick(after) == pick(before)),
                  ok.value_or(false),
                  std::string(first ? "QclInfoParam" : "QclInfoParam2") + " slot " +
                      std::to_string(i + 1) + " (replied slot " + std::to_string(slot) + ")",
                  Temperature(i), value);
        }
    }

    template <typename Value>
    void Check(bool good, bool ok, const std::string& what, Value expected, Value found) {
        if (good)
            return;
        ++wrong;
        ADD_FAILURE() << what << " after a " << (ok ? "successful" : "failed")
                      << " operation: expected " << expected << ", found " << found << " (exchange "
                      << rig.transport->Sent().size() << ")";
    }

    SimRig rig;
    std::mt19937 values{14};
    int operation = 0;
    int linkLost = 0;
    int wrong = 0;
};

TEST_P(FaultSoak, EveryAcceptedValueIsTheLasersAndTheLinkComesBackAfterEverySilence) {
    int succeeded = 0;
    for (int burst = 1; burst <= kBursts && wrong < kWrongToStop; ++burst) {
        for (int i = 0; i < kOperationsBetweenBursts; ++i)
            succeeded += Operate();

        // Silence until every silent packet has gone out (the last operation may end after it).
        const int lostBefore = linkLost;
        const std::size_t silentBefore = rig.faults.Injected(Fault::Silent);
        std::uint8_t failuresInARow = 0;
        InstallFaults(kBurstPackets);
        while (rig.faults.Injected(Fault::Silent) < silentBefore + kBurstPackets) {
            Operate();
            failuresInARow = std::max(failuresInARow, rig.controller->ConsecutiveFailures());
        }
        // The SDK reports nothing, but counts the failures as the panel does.
        if (GetParam().profile.notifyLinkLost)
            EXPECT_GT(linkLost, lostBefore) << "burst " << burst;
        else
            EXPECT_GE(failuresInARow, kLinkLostFailures) << "burst " << burst;
        int recovery = 1;
        while (!Operate() && recovery < kRecoveryOperations)
            ++recovery;
        EXPECT_LT(recovery, kRecoveryOperations) << "burst " << burst << " left the link down";
    }
    EXPECT_EQ(wrong, 0);
    // Every kind of fault was met, and most operations still succeeded.
    for (int kind = 1; kind < sim::kFaultKinds; ++kind)
        EXPECT_GT(rig.faults.Injected(static_cast<Fault>(kind)), 0u)
            << sim::FaultName(static_cast<Fault>(kind));
    EXPECT_GT(succeeded, operation / 2);
    EXPECT_GT(rig.transport->Sent().size(), 5000u);
}

INSTANTIATE_TEST_SUITE_P(
    Links, FaultSoak,
    ::testing::Values(Link{"PanelSerial", ControllerProfile::Panel(), Style::SerialThrow},
                      Link{"PanelUdp", ControllerProfile::Panel(), Style::DatagramThrow},
                      Link{"SdkUsb", ControllerProfile::Sdk(), Style::StreamShort}),
    LinkName);

} // namespace
