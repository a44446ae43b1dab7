#include "Lamps.h"

#include <QLabel>

// The icons are built into the panel's static library, where nothing would pull their
// registration into the program: it is asked for here, once.
static void RegisterPanelResources() {
    Q_INIT_RESOURCE(TarvexControl);
}

namespace tarvex::panel {

namespace {

QString ResourceName(Lamp lamp) {
    static const bool registered = (RegisterPanelResources(), true);
    (void)registered;
    return QLatin1String(LampResource(lamp));
}

} // namespace

const char* LampResource(Lamp lamp) {
    switch (lamp) {
    case Lamp::On:
        return ":/TarvexControl/Resources/green-on-16.png";
    case Lamp::White:
        return ":/TarvexControl/Resources/white-off-16.png";
    case Lamp::Red:
        return ":/TarvexControl/Resources/red-on-16.png";
    case Lamp::Off:
        break;
    }
    return ":/TarvexControl/Resources/green-off-16.png";
}

QPixmap LampPixmap(Lamp lamp) {
    return QPixmap(ResourceName(lamp));
}

void ShowLamp(QLabel& label, Lamp lamp) {
    // Loaded pixmaps come from the pixmap cache: the same lamp has the same key.
    const QPixmap pixmap = LampPixmap(lamp);
    if (label.pixmap().cacheKey() != pixmap.cacheKey())
        label.setPixmap(pixmap);
}

QIcon LampIcon(Lamp lamp) {
    return QIcon(ResourceName(lamp));
}

} // namespace tarvex::panel
