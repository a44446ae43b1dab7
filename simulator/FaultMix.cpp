#include "FaultMix.h"

#include "records/LaserRecords.h"
#include "records/StatusRecords.h"

#include <sstream>

namespace tarvex::sim {

std::vector<FaultRule> MixedFaults(double rate, std::uint32_t readTimeoutMs) {
    const std::uint32_t withinTimeout = readTimeoutMs / 2;
    const std::uint32_t pastTimeout = readTimeoutMs * 3 / 2;
    std::vector<FaultRule> mix;
    for (Fault fault : {Fault::DropAck, Fault::DropResponse, Fault::CorruptAck,
                        Fault::CorruptResponse, Fault::Nak, Fault::AckWrongSequence,
                        Fault::ResponseWrongSequence, Fault::StaleDuplicate, Fault::StatusNonZero})
        mix.push_back({fault, std::nullopt, -1, rate, 0});
    for (Fault late : {Fault::Delay, Fault::DelayResponse}) {
        for (std::uint16_t perSlot : {QclInfoParam::kCmd, QclInfoParam2::kCmd})
            mix.push_back({late, perSlot, -1, rate * 2, pastTimeout});
        for (std::uint32_t delay : {withinTimeout, pastTimeout})
            mix.push_back({late, std::nullopt, -1, rate, delay});
    }
    return mix;
}

FaultRule SilenceBurst(int packets) {
    return {Fault::Silent, std::nullopt, packets, 0.0, 0};
}

std::string FormatFaultSpec(const FaultRule& rule) {
    std::ostringstream spec;
    spec << FaultName(rule.fault);
    if (rule.cmdID)
        spec << ",cmd=" << *rule.cmdID;
    if (rule.rate > 0.0)
        spec << ",rate=" << rule.rate;
    else
        spec << ",count=" << rule.count;
    if (rule.delayMs > 0)
        spec << ",delay=" << rule.delayMs;
    return spec.str();
}

} // namespace tarvex::sim
