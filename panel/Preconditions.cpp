#include "Preconditions.h"

#include "KTarvexController.h"
#include "PanelDialogs.h"

#include <QCoreApplication>

namespace tarvex::panel {

bool Preconditions::Check(bool holds, const char* text) {
    if (!holds)
        dialogs_.Information(window_, QCoreApplication::translate("MainWindow", text));
    return holds;
}

bool Preconditions::EmissionOff() {
    const bool off =
        controller_.ReadCache([](const LaserCache& c) { return c.light.light_out == 0; });
    return Check(off, "Please turn emission off prior to trying this operation.");
}

bool Preconditions::TecsReady() {
    return Check(controller_.StatusBit(status::kTecsAtTemperature),
                 "Please wait for temperature on all TECs prior to trying this operation.");
}

bool Preconditions::Armed() {
    return Check(controller_.StatusBit(status::kArmed),
                 "Please ARM the laser prior to trying this operation.");
}

bool Preconditions::ArmedAndTecsReady() {
    return Armed() && TecsReady();
}

bool Preconditions::InterlockAndKey() {
    const std::uint32_t both = status::kInterlock | status::kKeySwitch;
    return Check((controller_.StatusBits() & both) == both,
                 "Please make sure Interlock is in place and keyswitch is on and retry this "
                 "operation.");
}

} // namespace tarvex::panel
