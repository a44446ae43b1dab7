#pragma once

#include "FormPage.h"
#include "ui_SettingsPage.h"

namespace tarvex::panel {

// page_general_settings, the QCL settings page. So far it holds the QCL chooser and the
// indicator of where the chosen QCL's wavelength lies in its tuning range.
class SettingsPage final : public FormPage<Ui::SettingsPage> {
    Q_OBJECT
public:
    using FormPage::FormPage;

    void InitializeUI() override;
    void Opening() override;

    // Reads the chosen QCL's test readback and shows its wavelength's place in its range.
    void ShowWavelengthIndicator();
};

} // namespace tarvex::panel
