#include "LaserProfile.h"

#include "records/LaserRecords.h"

#include <algorithm>

namespace tarvex::sim {

float QclProfile::MinMicrons() const {
    return wwUnit == units::kMicrons ? minWw : units::Convert(maxWw);
}

float QclProfile::MaxMicrons() const {
    return wwUnit == units::kMicrons ? maxWw : units::Convert(minWw);
}

LaserProfile LaserProfile::Default() {
    LaserProfile profile;
    return profile;
}

std::optional<LaserProfile> LaserProfile::Load(const std::filesystem::path&, std::string& error) {
    error = "profile files are not supported yet";
    return std::nullopt;
}

} // namespace tarvex::sim
