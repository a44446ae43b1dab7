#pragma once

#include <QLoggingCategory>

namespace tarvex::panel {

// The panel's own trace (handler names, the timer's decisions): off unless "-debug" is given.
Q_DECLARE_LOGGING_CATEGORY(lcPanel)

// Turns the panel's trace and the controller's on, to standard error.
void EnableDebugTrace();

} // namespace tarvex::panel
