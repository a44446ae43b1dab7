#pragma once

// What the control exports share: the controller library's checks with the SDK's trace, the
// result code of each refusal, and the shape of a checked command.

#include "Export.h"
#include "control/Preconditions.h"

namespace tarvex::sdk {

// The checks of the control operations; each question they ask the laser is traced under the
// name of the query export that answers it, as if the export had called that query.
control::Preconditions Checks(KTarvexController& controller);

// The result code that reports `refusal` (Success for none).
Result ResultOf(control::Refusal refusal);

// The common shape of a control export: `refusal` (from its checks), or else `command()`, whose
// failure gives `failed`.
template <typename Command>
Result CheckedCommand(control::Refusal refusal, Result failed, Command command) {
    if (refusal != control::Refusal::None)
        return ResultOf(refusal);
    return command() ? Result{TarvexSdkResult_Success} : failed;
}

// Changes the cached record `field` with `change(record)` and sends it with `write()`; a failed
// write puts the record back, so that the cache keeps what the laser has.
template <typename Field, typename Change, typename Write>
bool WriteChanged(KTarvexController& controller, Field LaserCache::*field, Change change,
                  Write write) {
    std::lock_guard lock(controller.TransactionMutex());
    const Field before = controller.ReadCache([&](const LaserCache& c) { return c.*field; });
    controller.UpdateCache([&](LaserCache& c) { change(c.*field); });
    if (write())
        return true;
    controller.UpdateCache([&](LaserCache& c) { c.*field = before; });
    return false;
}

} // namespace tarvex::sdk
