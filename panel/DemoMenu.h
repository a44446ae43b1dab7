#pragma once

#include <QMenu>

namespace tarvex::sim {
class SimLaser;
}

namespace tarvex::panel {

class PanelDialogs;

// "Simulated laser", the menu of demo mode: the hardware inputs of the built-in laser (the
// interlock, the key switch, the red pointer, case temperature warnings) and a fault code, so
// that every lamp and every refusal of the panel can be seen without a laser.
class DemoMenu final : public QMenu {
    Q_OBJECT
public:
    DemoMenu(sim::SimLaser& laser, PanelDialogs& dialogs, QWidget* parent);

public Q_SLOTS:
    void raiseFaultCode();

private:
    QAction* AddSwitch(const QString& text, bool on, void (DemoMenu::*handler)(bool));
    void setInterlockClosed(bool closed);
    void setKeySwitchOn(bool on);
    void setPointerFitted(bool fitted);
    void setCaseTemp1Warning(bool on);
    void setCaseTemp2Warning(bool on);
    void setPcbTempWarning(bool on);

    sim::SimLaser& laser_;
    PanelDialogs& dialogs_;
};

} // namespace tarvex::panel
