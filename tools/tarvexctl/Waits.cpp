#include "Waits.h"

#include "Interrupt.h"
#include "Session.h"

#include <algorithm>

namespace tarvexctl {

bool Pause(tarvex::Clock& clock, std::uint32_t ms) {
    constexpr std::uint32_t kSliceMs = 50;
    const std::uint64_t end = clock.NowMs() + ms;
    for (std::uint64_t now = clock.NowMs(); now < end; now = clock.NowMs()) {
        if (Interrupted())
            return false;
        clock.SleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(kSliceMs, end - now)));
    }
    return !Interrupted();
}

void ReadStatusFrame(Session& laser) {
    auto& c = laser.Controller();
    laser.Require(c.ReadStatusMask() && c.ReadInfoLight() && c.ReadScanProgress() &&
                      c.ReadQclInfoParam() && c.ReadTestLaserInfo() && c.ReadTecMeas(),
                  "report its status");
}

} // namespace tarvexctl
