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

// The parameter log and its live plot (MainWindow::SetParameterLog; without one nothing is
// written or plotted).
class ParameterLogHook {
public:
    virtual ~ParameterLogHook() = default;
    // Called by every status tick: takes the laser's readings for the live plot and, while
    // `toFile` (logging is enabled), appends them to the log file.
    virtual void Tick(bool toFile) = 0;
    // Opens a window that plots the readings of the last minutes as they come.
    virtual void ShowPlot(QWidget* parent) = 0;
};

} // namespace tarvex::panel
