#pragma once

#include "SimLaser.h"
#include "codec/KTarvexCommand.h"
#include "records/WireCodec.h"

#include <algorithm>
#include <array>

namespace tarvex::sim {

// The response status with which the simulated controller refuses a request it cannot carry
// out (a value out of range, an empty slot, the wrong disposition).
inline constexpr std::uint16_t kRefused = 1;

// The request's payload as a record. A short payload reads as if padded with zeros.
template <typename Record> Record RequestRecord(const SimRequest& request) {
    std::array<std::uint8_t, kMaxPayloadSize> bytes{};
    std::copy_n(request.payload.begin(), std::min(request.payload.size(), bytes.size()),
                bytes.begin());
    return wire::Decode<Record>(bytes.data());
}

template <typename Record> void Answer(SimReply& reply, const Record& record) {
    if (reply.payload.size() >= wire::WireSize<Record>())
        wire::Encode(record, reply.payload.data());
}

inline void Refuse(SimReply& reply) {
    reply.status = kRefused;
}

// Wire slots run from 1 to 4; a slot beyond the installed modules is empty.
inline bool IsSlot(std::uint8_t slot) {
    return slot >= 1 && slot <= 4;
}
inline bool IsInstalled(const LaserProfile& profile, std::uint8_t slot) {
    return slot >= 1 && slot <= profile.qcls.size();
}

} // namespace tarvex::sim
