// Thousands of exchanges through every fault the simulated link can suffer, mixed at a few
// percent each, on simulated time. The laser's values change before every operation, so that a
// late or misdirected reply taken for the operation's own would show as a value the laser no
// longer holds; silence bursts must raise link lost, and the link must come back after each.
#include "FaultMix.h"
#include "support/SimRig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;
using Style = sim::InProcessTransport::Style;

namespace {

constexpr std::uint32_t kReadTimeoutMs = 1000;
constexpr double kRate = 0.02;
constexpr int kBursts = 25;
constexpr int kOperationsBetweenBursts = 400;
// A soak that found this many wrong values has said enough.
constexpr int kWrongToStop = 5;
// Packets a burst silences: more failures in a row than link lost needs on any transport.
constexpr int kBurstPackets = 8;
// A link that is back answers within this many operations despite the other faults.
constexpr int kRecoveryOperations = 8;
constexpr std::uint8_t kQcls = 4;

std::string TransportName(const ::testing::TestParamInfo<Style>& style) {
    return style.param == Style::SerialThrow ? "Serial" : "Udp";
}

class FaultSoak : public ::testing::TestWithParam<Style> {
protected:
    FaultSoak() : rig(ControllerProfile::Panel(), GetParam()) {
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

    // One operation, chosen at random so that a command often follows one of its own kind, on
    // values the laser takes up just before; true when it succeeded.
    bool Operate(int operation) {
        const LaserCache before = rig.Cache();
        switch (values() % 5) {
        case 0:
            return ReadStatus(before);
        case 1:
            return ReadLight(operation, before);
        case 2:
            return ReadPerSlot(operation, before, &KTarvexController::ReadQclInfoParam);
        case 3:
            return ReadPerSlot(operation, before, &KTarvexController::ReadQclInfoParam2);
        default:
            return WriteLaserParams(operation, before);
        }
    }

    bool ReadStatus(const LaserCache& before) {
        rig.laser.SetStatusMask(static_cast<std::uint32_t>(values()));
        const bool ok = rig.controller->ReadStatusMask();
        const std::uint32_t held = rig.laser.StatusMask();
        const std::uint32_t cached = rig.Cache().status.mask;
        Check(ok ? cached == held : cached == before.status.mask, ok, "status mask", held, cached);
        return ok;
    }

    bool ReadLight(int operation, const LaserCache& before) {
        const float ww = 4.0f + static_cast<float>(operation % 4000) * 0.001f;
        const auto qcl = static_cast<std::uint8_t>(1 + operation % kQcls);
        rig.laser.Modify([&](sim::SimState& s) {
            s.displayUnits.ww = units::kMicrons;
            s.wavelengthMicrons = ww;
            s.curQcl = qcl;
            s.lightValid = true;
        });
        const bool ok = rig.controller->ReadInfoLight();
        const LaserCache after = rig.Cache();
        const bool good = ok ? after.light.current_ww == ww && after.activeQcl == qcl
                             : after.light.current_ww == before.light.current_ww &&
                                   after.activeQcl == before.activeQcl;
        Check(good, ok, "wavelength", ww, after.light.current_ww);
        return ok;
    }

    // Every slot holds, after the read, its old record or the one the laser holds now; the
    // operation's result is the last slot's.
    bool ReadPerSlot(int operation, const LaserCache& before, bool (KTarvexController::*read)()) {
        const auto temp = [operation](std::size_t index) {
            return 15.0f + static_cast<float>(operation % 2000) * 0.005f +
                   static_cast<float>(index) * 0.25f;
        };
        rig.laser.Modify([&](sim::SimState& s) {
            for (std::size_t i = 0; i < kQcls; ++i)
                s.qcl[i].params.temp = s.qcl[i].tecTemp = temp(i);
        });
        const bool ok = ((*rig.controller).*read)();
        const LaserCache after = rig.Cache();
        const bool first = read == &KTarvexController::ReadQclInfoParam;
        for (std::size_t i = 0; i < kQcls; ++i) {
            const auto pick = [&](const LaserCache& c) {
                return first ? std::pair(c.qclInfo[i].qcl_slot, c.qclInfo[i].actual_temp)
                             : std::pair(c.qclInfo2[i].qcl_slot, c.qclInfo2[i].qclTemp);
            };
            const auto [slot, value] = pick(after);
            const bool fresh = slot == i + 1 && value == temp(i);
            const bool last = i + 1 == kQcls;
            Check(fresh || (!(ok && last) && pick(after) == pick(before)), ok,
                  std::string(first ? "QclInfoParam" : "QclInfoParam2") + " slot " +
                      std::to_string(i + 1) + " (replied slot " + std::to_string(slot) + ")",
                  temp(i), value);
        }
        return ok;
    }

    bool WriteLaserParams(int operation, const LaserCache& before) {
        const auto dwell = static_cast<std::uint32_t>(1000 + operation);
        rig.controller->UpdateCache([dwell](LaserCache& c) { c.laserParams.dwell_time = dwell; });
        const bool ok = rig.controller->ReadWriteLaserParams(true);
        const std::uint32_t held = rig.State().laserParams.dwell_time;
        const std::uint32_t cached = rig.Cache().laserParams.dwell_time;
        Check(ok ? held == dwell && cached == dwell : cached == dwell, ok, "dwell time written",
              dwell, ok ? held : cached);
        // The cache goes back to what the laser holds, for the next operation's comparison.
        rig.controller->UpdateCache([&](LaserCache& c) { c.laserParams = before.laserParams; });
        if (ok)
            rig.controller->UpdateCache([held](LaserCache& c) { c.laserParams.dwell_time = held; });
        return ok;
    }

    template <typename Value>
    void Check(bool good, bool ok, const std::string& what, Value held, Value cached) {
        if (good)
            return;
        ++wrong;
        ADD_FAILURE() << what << " after a " << (ok ? "successful" : "failed")
                      << " operation: the laser holds " << held << ", the cache " << cached
                      << " (exchange " << rig.transport->Sent().size() << ")";
    }

    SimRig rig;
    std::mt19937 values{14};
    int linkLost = 0;
    int wrong = 0;
};

TEST_P(FaultSoak, EveryAcceptedValueIsTheLasersAndTheLinkComesBackAfterEverySilence) {
    int operations = 0;
    int succeeded = 0;
    for (int burst = 1; burst <= kBursts && wrong < kWrongToStop; ++burst) {
        for (int i = 0; i < kOperationsBetweenBursts; ++i)
            succeeded += Operate(operations++);

        // Silence until every silent packet has gone out (the last operation may end after it).
        const int lostBefore = linkLost;
        const std::size_t silentBefore = rig.faults.Injected(Fault::Silent);
        InstallFaults(kBurstPackets);
        while (rig.faults.Injected(Fault::Silent) < silentBefore + kBurstPackets)
            Operate(operations++);
        EXPECT_GT(linkLost, lostBefore) << "burst " << burst;
        int recovery = 1;
        while (!Operate(operations++) && recovery < kRecoveryOperations)
            ++recovery;
        EXPECT_LT(recovery, kRecoveryOperations) << "burst " << burst << " left the link down";
    }
    EXPECT_EQ(wrong, 0);
    // Every kind of fault was met, and most operations still succeeded.
    for (int kind = 1; kind < sim::kFaultKinds; ++kind)
        EXPECT_GT(rig.faults.Injected(static_cast<Fault>(kind)), 0u)
            << sim::FaultName(static_cast<Fault>(kind));
    EXPECT_GT(succeeded, operations / 2);
    EXPECT_GT(rig.transport->Sent().size(), 5000u);
}

INSTANTIATE_TEST_SUITE_P(Transports, FaultSoak,
                         ::testing::Values(Style::SerialThrow, Style::DatagramThrow),
                         TransportName);

} // namespace
