#include "StatusView.h"

#include <algorithm>

namespace tarvex::panel {

StatusView ReadStatusView(const KTarvexController& controller) {
    return controller.ReadCache([](const LaserCache& c) {
        StatusView view;
        view.mask = c.status.mask;
        view.errorWord = c.status.errorWord;
        view.light = c.light;
        view.activeQcl = c.activeQcl;
        view.installed = c.InstalledQcls();
        view.qclParams = c.qclParams;
        view.qclInfo = c.qclInfo;
        view.tecMeas = c.tecMeas;
        view.systemTemps = c.testLaserInfo;
        view.overall = OverallTuningRange(c);
        return view;
    });
}

float LimitToRange(float wavenumber, const TuningRange& overall) {
    if (overall.Empty())
        return wavenumber;
    const TuningRange range = overall.In(units::kWavenumber);
    return std::clamp(wavenumber, range.min, range.max);
}

QString ProgressPhrases(const ScanStatus& status) {
    QString text;
    if (status.adjustingTemperature)
        text += QStringLiteral("(adjusting temperature) ");
    if (status.adjustingWavelength)
        text += QStringLiteral("(adjusting wavelength)");
    if (status.safetyTimerActive)
        text += QStringLiteral("(safety timer active)");
    return text;
}

} // namespace tarvex::panel
