#include "SettingsPage.h"

#include "KTarvexController.h"
#include "PanelShell.h"

namespace tarvex::panel {

void SettingsPage::InitializeUI() {
    ui.comboBox_laserParamQCLs->clear();
    const std::size_t installed = shell_.Controller().InstalledQcls();
    for (std::size_t i = 1; i <= installed; ++i)
        ui.comboBox_laserParamQCLs->addItem(tr("QCL %1").arg(i));
}

void SettingsPage::Opening() {
    const std::uint8_t active = shell_.Controller().ActiveQcl();
    ui.comboBox_laserParamQCLs->setCurrentIndex(active == 0 ? 0 : active - 1);
}

void SettingsPage::ShowWavelengthIndicator() {
    const int index = ui.comboBox_laserParamQCLs->currentIndex();
    if (index < 0)
        return;
    KTarvexController& controller = shell_.Controller();
    const auto slot = static_cast<std::uint8_t>(index + 1);
    if (!controller.ReadTestQclInfo(slot))
        return;
    const auto [info, qcl] = controller.ReadCache([index](const LaserCache& c) {
        return std::pair(c.testQclInfo[index], c.adminQcl[index]);
    });
    const float actual = info.actual_ww_unit == qcl.ww_unit || info.actual_ww_unit == 0
                             ? info.actual_ww
                             : units::Convert(info.actual_ww);
    // A module without a range has no place in it to show.
    if (qcl.max_ww == qcl.min_ww) {
        ui.label_wavelengthIndicatorValue->setText(tr("N/A"));
        return;
    }
    const double percent =
        static_cast<double>((actual - qcl.min_ww) / (qcl.max_ww - qcl.min_ww)) * 100.0;
    ui.label_wavelengthIndicatorValue->setText(QString::number(percent, 'f', 2) +
                                               QStringLiteral(" %"));
}

} // namespace tarvex::panel
