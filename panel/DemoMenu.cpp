#include "DemoMenu.h"

#include "PanelDialogs.h"
#include "SimLaser.h"

namespace tarvex::panel {

DemoMenu::DemoMenu(sim::SimLaser& laser, PanelDialogs& dialogs, QWidget* parent)
    : QMenu(tr("Simulated laser"), parent), laser_(laser), dialogs_(dialogs) {
    setObjectName(QStringLiteral("menu_SimulatedLaser"));
    const sim::SimState state = laser_.Inspect([](const sim::SimState& s) { return s; });
    AddSwitch(tr("Interlock closed"), state.interlockClosed, &DemoMenu::setInterlockClosed)
        ->setObjectName(QStringLiteral("action_InterlockClosed"));
    AddSwitch(tr("Key switch on"), state.keySwitchOn, &DemoMenu::setKeySwitchOn)
        ->setObjectName(QStringLiteral("action_KeySwitchOn"));
    AddSwitch(tr("Red pointer fitted"), state.pointerFitted, &DemoMenu::setPointerFitted)
        ->setObjectName(QStringLiteral("action_PointerFitted"));
    addSeparator();
    AddSwitch(tr("Case 1 too warm"), state.caseTemp1Warning, &DemoMenu::setCaseTemp1Warning);
    AddSwitch(tr("Case 2 too warm"), state.caseTemp2Warning, &DemoMenu::setCaseTemp2Warning);
    AddSwitch(tr("PCB too warm"), state.pcbTempWarning, &DemoMenu::setPcbTempWarning);
    addSeparator();
    addAction(tr("Raise fault code..."), this, &DemoMenu::raiseFaultCode)
        ->setObjectName(QStringLiteral("action_RaiseFaultCode"));
}

QAction* DemoMenu::AddSwitch(const QString& text, bool on, void (DemoMenu::*handler)(bool)) {
    QAction* action = addAction(text);
    action->setCheckable(true);
    action->setChecked(on);
    connect(action, &QAction::toggled, this, handler);
    return action;
}

void DemoMenu::raiseFaultCode() {
    // 31, a motion fault, is one the panel clears by itself; 34 stays until cleared.
    if (const auto code =
            dialogs_.GetInt(parentWidget(), tr("Simulated laser"), tr("Fault code:"), 34, 1, 65535))
        laser_.InjectError(static_cast<std::uint16_t>(*code));
}

void DemoMenu::setInterlockClosed(bool closed) {
    laser_.SetInterlock(closed);
}
void DemoMenu::setKeySwitchOn(bool on) {
    laser_.SetKeySwitch(on);
}
void DemoMenu::setPointerFitted(bool fitted) {
    laser_.SetPointerFitted(fitted);
}
void DemoMenu::setCaseTemp1Warning(bool on) {
    laser_.SetTemperatureWarning(1, on);
}
void DemoMenu::setCaseTemp2Warning(bool on) {
    laser_.SetTemperatureWarning(2, on);
}
void DemoMenu::setPcbTempWarning(bool on) {
    laser_.SetTemperatureWarning(3, on);
}

} // namespace tarvex::panel
