#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tarvex::sim {

// What can go wrong with one exchange on the simulated link.
enum class Fault {
    None,
    DropAck,          // the ack/nak is lost; the response still goes
    DropResponse,     // the ack goes, the response is lost
    CorruptAck,       // one byte of the ack/nak is flipped
    CorruptResponse,  // one byte of the response is flipped
    Nak,              // the command is refused (NAK bit) and not executed
    AckWrongSequence, // the ack/nak carries another sequence number
    ResponseWrongSequence,
    StaleDuplicate, // the previous exchange's ack/nak arrives before this one's
    StatusNonZero,  // the response carries status 1
    Delay,          // ack and response come late (by the rule's delay)
    Silent,         // nothing comes back and nothing is executed
    DelayResponse,  // the ack/nak comes at once, the response late (by the rule's delay)
};

// How many kinds there are, None included.
inline constexpr int kFaultKinds = static_cast<int>(Fault::DelayResponse) + 1;

const char* FaultName(Fault fault);
std::optional<Fault> ParseFault(const std::string& name);

// A rule picks the exchanges it spoils: those of one command id (or of any), the next `count`
// of them (negative: all), or each with probability `rate`.
struct FaultRule {
    Fault fault = Fault::None;
    std::optional<std::uint16_t> cmdID;
    int count = 1;
    double rate = 0.0; // used instead of count when above 0
    std::uint32_t delayMs = 0;
};

struct FaultDecision {
    Fault fault = Fault::None;
    std::uint32_t delayMs = 0;
};

// The programmable faults of a simulated link. Thread-safe.
class FaultInjector {
public:
    explicit FaultInjector(std::uint32_t seed = 1) : random_(seed) {}

    void Add(const FaultRule& rule);
    void Clear();
    // The fault for the next exchange of `cmdID`; the first rule that applies wins.
    FaultDecision Next(std::uint16_t cmdID);
    // How many exchanges each kind of fault has spoiled.
    std::size_t Injected(Fault fault) const;

private:
    mutable std::mutex mutex_;
    std::vector<FaultRule> rules_;
    std::mt19937 random_;
    std::size_t injected_[kFaultKinds] = {};
};

} // namespace tarvex::sim
