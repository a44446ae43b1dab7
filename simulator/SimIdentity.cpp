#include "SimLaser.h"

namespace tarvex::sim {

void SimLaser::RegisterIdentityHandlers() {
    // ReadInfoSysInfo: supported interface, sysInfo, four bytes of firmware detail.
    handlers_[SysInfo::kCmd] = [](const SimRequest&, SimReply& reply) {
        reply.payload[0] = 3;
        reply.payload[1] = 1;
    };
}

} // namespace tarvex::sim
