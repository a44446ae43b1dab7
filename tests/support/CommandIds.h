#pragma once

#include "SimLaser.h"
#include "records/IdentityRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::test {

using Ids = std::vector<std::uint16_t>;

// The command ids the simulated laser executed, in order.
inline Ids ExecutedIds(const sim::SimLaser& laser) {
    Ids ids;
    for (const auto& [id, payload] : laser.History())
        ids.push_back(id);
    return ids;
}

// The request payloads the simulated laser executed for one command id, in order.
inline std::vector<std::vector<std::uint8_t>> ExecutedRequests(const sim::SimLaser& laser,
                                                               std::uint16_t cmdID) {
    std::vector<std::vector<std::uint8_t>> requests;
    for (const auto& [id, payload] : laser.History())
        if (id == cmdID)
            requests.push_back(payload);
    return requests;
}

inline Ids Concat(Ids ids, const Ids& more) {
    ids.insert(ids.end(), more.begin(), more.end());
    return ids;
}

// A test name for the firmware a sequence depends on: "v1_7_15".
inline std::string VersionName(const FirmwareVersion& v) {
    return "v" + std::to_string(v.major) + "_" + std::to_string(v.minor) + "_" +
           std::to_string(v.patch);
}

} // namespace tarvex::test
