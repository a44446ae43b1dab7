#pragma once

#include <QWidget>

#include <initializer_list>

namespace tarvex::panel {

// Shows or hides, enables or disables several widgets at once.
inline void SetVisible(std::initializer_list<QWidget*> widgets, bool visible) {
    for (QWidget* widget : widgets)
        widget->setVisible(visible);
}
inline void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets)
        widget->setEnabled(enabled);
}

} // namespace tarvex::panel
