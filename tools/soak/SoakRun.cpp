#include "SoakRun.h"

#include "FaultMix.h"

#include <atomic>
#include <functional>
#include <random>

namespace tarvex::soak {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr auto kRecoveryGrace = std::chrono::seconds(30);

// One operation's outcome: whether it succeeded, and whether it accepted a value the laser
// cannot hold.
struct Outcome {
    bool ok = false;
    bool wrong = false;
};

// A reply for another slot stored in a slot's record was taken for that slot's own.
template <typename Record>
bool SlotsMisplaced(const std::array<Record, kMaxQcls>& records, std::size_t installed) {
    for (std::size_t i = 0; i < installed && i < records.size(); ++i)
        if (records[i].qcl_slot != 0 && records[i].qcl_slot != i + 1)
            return true;
    return false;
}

// The operations of the soak. Across processes only what the host wrote itself is known, so a
// written value read back must be the one written; the per-slot records must each hold their
// own slot.
class Operations {
public:
    explicit Operations(KTarvexController& controller) : c_(controller) {}

    static constexpr const char* kNames[] = {"status mask", "light", "QCL readback",
                                             "QCL readback 2", "laser params write+read"};
    static constexpr std::size_t kCount = std::size(kNames);

    Outcome Run(std::size_t which) {
        switch (which) {
        case 0:
            return {c_.ReadStatusMask(), false};
        case 1:
            return {c_.ReadInfoLight(), false};
        case 2: {
            const bool ok = c_.ReadQclInfoParam();
            return {ok, SlotsMisplaced(c_.Snapshot().qclInfo, c_.InstalledQcls())};
        }
        case 3: {
            const bool ok = c_.ReadQclInfoParam2();
            return {ok, SlotsMisplaced(c_.Snapshot().qclInfo2, c_.InstalledQcls())};
        }
        default:
            return WriteAndReadBack();
        }
    }

private:
    Outcome WriteAndReadBack() {
        const std::uint32_t dwell = ++dwell_;
        c_.UpdateCache([dwell](LaserCache& cache) { cache.laserParams.dwell_time = dwell; });
        if (!c_.ReadWriteLaserParams(true))
            return {};
        if (!c_.ReadWriteLaserParams(false))
            return {};
        return {true, c_.Snapshot().laserParams.dwell_time != dwell};
    }

    KTarvexController& c_;
    std::uint32_t dwell_ = 1000;
};

void InstallFaults(SimProcess& sim, const SoakOptions& options, int silentPackets) {
    sim.Send("clear-faults");
    if (silentPackets > 0)
        sim.Send("fault " + sim::FormatFaultSpec(sim::SilenceBurst(silentPackets)));
    if (options.rate <= 0.0)
        return; // a rule of no rate would spoil every exchange
    for (const auto& rule : sim::MixedFaults(options.rate, options.readTimeoutMs))
        sim.Send("fault " + sim::FormatFaultSpec(rule));
}

} // namespace

void RunSoak(KTarvexController& controller, SimProcess& sim, const SoakOptions& options,
             SoakReport& report) {
    std::atomic<std::size_t> linkLost{0};
    controller.SetLinkLostCallback([&linkLost] { ++linkLost; });
    controller.SetTransportTimeouts(options.readTimeoutMs, 0);

    Operations operations(controller);
    report.operations.clear();
    for (const char* name : Operations::kNames)
        report.operations.push_back({name});
    InstallFaults(sim, options, 0);

    std::mt19937 pick(14);
    const auto start = SteadyClock::now();
    const auto end = start + options.duration;
    auto nextBurst = start + options.burstEvery;
    // The burst in progress: none, sent, or seen to raise link lost.
    enum class Burst { None, Sent, LostLink } burst = Burst::None;
    std::size_t lostAtBurst = 0;
    // The soak ends when its time is up, unless a burst still waits for the link to come back.
    for (auto now = start; now < end || (burst != Burst::None && now < end + kRecoveryGrace);
         now = SteadyClock::now()) {
        // The next burst waits for the link to come back from the last.
        if (now >= nextBurst && now < end && burst == Burst::None) {
            InstallFaults(sim, options, options.burstPackets);
            ++report.bursts;
            burst = Burst::Sent;
            lostAtBurst = linkLost.load();
            nextBurst = now + options.burstEvery;
        }
        const std::size_t which = pick() % Operations::kCount;
        const std::size_t lostBefore = linkLost.load();
        const auto begun = SteadyClock::now();
        const Outcome outcome = operations.Run(which);
        const double ms =
            std::chrono::duration<double, std::milli>(SteadyClock::now() - begun).count();
        report.operations[which].Add(outcome.ok, ms, linkLost.load() - lostBefore, outcome.wrong);

        if (burst == Burst::Sent && linkLost.load() > lostAtBurst) {
            burst = Burst::LostLink;
            ++report.burstsLostLink;
        }
        if (burst == Burst::LostLink && outcome.ok) {
            burst = Burst::None;
            ++report.burstsRecovered;
        }
    }
    report.seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    sim.Send("clear-faults");
    controller.SetLinkLostCallback(nullptr);
}

} // namespace tarvex::soak
