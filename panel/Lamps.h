#pragma once

#include <QIcon>
#include <QPixmap>

namespace tarvex::panel {

// The status lamps, under their resource names.
enum class Lamp { Off, On, White, Red };

const char* LampResource(Lamp lamp);
QPixmap LampPixmap(Lamp lamp);
QIcon LampIcon(Lamp lamp);

inline Lamp OnOff(bool on) {
    return on ? Lamp::On : Lamp::Off;
}

} // namespace tarvex::panel
