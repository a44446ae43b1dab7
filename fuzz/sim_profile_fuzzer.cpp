// The simulated laser's profile parser on any text. A profile it accepts must make a laser the
// controller can read whole and tune across every module's range.
#include "FuzzSupport.h"
#include "LaserProfile.h"

#include <string>

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto profile =
        sim::LaserProfile::Parse(std::string(reinterpret_cast<const char*>(data), size), error);
    if (!profile) {
        fuzz::Check(!error.empty(), "a refused profile without a reason");
        return 0;
    }
    fuzz::Check(!profile->qcls.empty() && profile->qcls.size() <= 4,
                "a profile accepted with no module or more than four");

    fuzz::LaserRig rig(*profile);
    rig.controller.refresh();
    for (std::size_t slot = 0; slot < profile->qcls.size(); ++slot) {
        const auto& qcl = profile->qcls[slot];
        for (const float target : {qcl.minWw, qcl.maxWw}) {
            rig.controller.TuneToWW(target, qcl.wwUnit, 0, static_cast<std::uint8_t>(slot + 1));
            rig.clock.Advance(60000); // the whole move, however far
            rig.controller.ReadScanProgress();
        }
    }
    return 0;
}
