#pragma once

class QWidget;

namespace tarvex {
class KTarvexController;
}

namespace tarvex::panel {

class PanelDialogs;

// The checks many handlers run before they send anything: each returns true when its condition
// holds in the controller's cache, and otherwise tells the operator why nothing happens.
class Preconditions {
public:
    Preconditions(KTarvexController& controller, PanelDialogs& dialogs, QWidget* window)
        : controller_(controller), dialogs_(dialogs), window_(window) {}

    bool EmissionOff();
    bool TecsReady();
    bool Armed();
    // The armed check, then (only when it passed) the TEC check.
    bool ArmedAndTecsReady();
    // The interlock closed and the key switch on.
    bool InterlockAndKey();

private:
    bool Check(bool holds, const char* text);

    KTarvexController& controller_;
    PanelDialogs& dialogs_;
    QWidget* window_;
};

} // namespace tarvex::panel
