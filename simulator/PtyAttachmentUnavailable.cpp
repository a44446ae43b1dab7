// Windows has no pseudo-terminals: the attachment never opens there, and the simulated laser is
// reached over UDP instead.
#include "PtyAttachment.h"

namespace tarvex::sim {

bool PtyAttachment::Supported() {
    return false;
}

PtyAttachment::PtyAttachment(SimLink& link, Clock& clock) : link_(link), clock_(clock) {}

PtyAttachment::~PtyAttachment() = default;

void PtyAttachment::WaitIdle(int) {}

void PtyAttachment::Run() {}

} // namespace tarvex::sim
