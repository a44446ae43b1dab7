#include "ControllerEvents.h"

#include "KTarvexController.h"

namespace tarvex::panel {

ControllerEvents::ControllerEvents(KTarvexController& controller, QObject* parent)
    : QObject(parent), controller_(controller) {
    controller_.SetLinkLostCallback([this] { Q_EMIT KTarvexController_commLinkLost(); });
}

ControllerEvents::~ControllerEvents() {
    controller_.SetLinkLostCallback(nullptr);
}

} // namespace tarvex::panel
