#include "FaultInjector.h"

#include <iterator>

namespace tarvex::sim {
namespace {

constexpr const char* kNames[] = {
    "none",
    "drop-ack",
    "drop-response",
    "corrupt-ack",
    "corrupt-response",
    "nak",
    "ack-wrong-sequence",
    "response-wrong-sequence",
    "stale-duplicate",
    "status-nonzero",
    "delay",
    "silent",
    "delay-response",
};
static_assert(std::size(kNames) == kFaultKinds);

} // namespace

const char* FaultName(Fault fault) {
    return kNames[static_cast<int>(fault)];
}

std::optional<Fault> ParseFault(const std::string& name) {
    for (int i = 0; i < kFaultKinds; ++i)
        if (name == kNames[i])
            return static_cast<Fault>(i);
    return std::nullopt;
}

void FaultInjector::Add(const FaultRule& rule) {
    std::lock_guard lock(mutex_);
    rules_.push_back(rule);
}

void FaultInjector::Clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

FaultDecision FaultInjector::Next(std::uint16_t cmdID) {
    std::lock_guard lock(mutex_);
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (it->cmdID && *it->cmdID != cmdID)
            continue;
        if (it->rate > 0.0) {
            if (std::uniform_real_distribution<double>(0.0, 1.0)(random_) >= it->rate)
                continue;
        } else if (it->count == 0) {
            continue;
        } else if (it->count > 0) {
            --it->count;
        }
        FaultDecision decision{it->fault, it->delayMs};
        if (it->rate <= 0.0 && it->count == 0)
            rules_.erase(it);
        ++injected_[static_cast<int>(decision.fault)];
        return decision;
    }
    return {};
}

std::size_t FaultInjector::Injected(Fault fault) const {
    std::lock_guard lock(mutex_);
    return injected_[static_cast<int>(fault)];
}

} // namespace tarvex::sim
