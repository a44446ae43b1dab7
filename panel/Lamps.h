#pragma once

#include <QIcon>
#include <QPixmap>

class QLabel;

namespace tarvex::panel {

// The status lamps, under their resource names.
enum class Lamp { Off, On, White, Red };

const char* LampResource(Lamp lamp);
QPixmap LampPixmap(Lamp lamp);
QIcon LampIcon(Lamp lamp);

// Shows `lamp` in `label`; nothing is redrawn when it shows that lamp already.
void ShowLamp(QLabel& label, Lamp lamp);

inline Lamp OnOff(bool on) {
    return on ? Lamp::On : Lamp::Off;
}

} // namespace tarvex::panel
