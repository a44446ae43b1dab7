#pragma once

class QWidget;

namespace tarvex::panel {

// Where the main window hands the laser's faults: the fault log file and its window. The main
// window holds none until one is installed (MainWindow::SetFaultLog); without one, faults are
// shown but not kept, and the "Show Fault Log" button is disabled.
class FaultLogHook {
public:
    virtual ~FaultLogHook() = default;
    // Appends the faults the laser reports as new (called whenever the error word is not 0).
    virtual void SaveSystemErrors() = 0;
    // Opens a window on the log.
    virtual void ShowLog(QWidget* parent) = 0;
};

// The parameter log: one line per status tick while logging is enabled
// (MainWindow::SetParameterLog; without one nothing is written).
class ParameterLogHook {
public:
    virtual ~ParameterLogHook() = default;
    virtual void AppendLine() = 0;
};

} // namespace tarvex::panel
