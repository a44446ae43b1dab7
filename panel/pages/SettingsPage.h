#pragma once

#include "FormPage.h"
#include "ui_SettingsPage.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tarvex::panel {

// page_general_settings, the QCL settings page: each QCL's laser mode, pulse rate and width,
// current and temperature, and the laser's display unit, pulse and process-trigger modes and
// preferences. Edits wait in the controller's cached records (each QCL's kept when another is
// chosen) until Save checks every QCL's duty cycle and writes them. The main window adds the
// logs' box at the bottom.
class SettingsPage final : public FormPage<Ui::SettingsPage> {
    Q_OBJECT
public:
    SettingsPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;
    void Opening() override;

    // Reads the chosen QCL's test readback and shows its wavelength's place in its range.
    void ShowWavelengthIndicator();

    // The QCL whose values the fields show (0-based), -1 before the first is loaded.
    int ShownQcl() const { return shownQcl_; }

public Q_SLOTS:
    void comboBoxlaserParamQCLIndexChanged(int index);
    void comboBox_laserModeChanged(int row);
    void doubleSpinBoxPulseRateValueChanged(double value);
    void doubleSpinBoxPuldWidthValueChanged(double value);
    void doubleSpinBox_QCLcurrentChanged(double value);
    void comboBox_WavelengthTriggerUnitsChanged(int index);
    void pushButton_reInitTuningClicked();
    void buttonClickedSaveSettings();

private:
    // The chosen QCL's slot (1-based), 0 with none.
    std::uint8_t ChosenSlot() const;
    // Puts the fields of the QCL shown into its cached record.
    void StoreShownQcl();
    void LoadQcl(int index);
    void FillLaserModes(int index, std::uint8_t mode);
    void ShowCurrentLimits();
    void ShowDutyCycle();
    void ShowPulseWidthLimit();
    void LoadLaserSettings();
    // The laser-wide settings of the fields into the cached laser parameters.
    void StoreLaserSettings();
    // Every installed QCL's cached duty cycle within its limits; else tells the operator of the
    // first that is not.
    bool DutyCyclesAllowed();
    void WritePreferences();
    void SetTriggerWindowRange(std::uint8_t unit);

    // Per QCL: the laser modes its chooser rows stand for, built with the page.
    std::array<std::vector<std::uint8_t>, 4> laserModes_{};
    int shownQcl_ = -1;
    // False while the laser-mode chooser is being filled, so that the fill sets no mode.
    bool laserModesReady_ = false;
    // The unit the trigger window's fields are in.
    std::uint8_t triggerUnit_ = 1;
};

} // namespace tarvex::panel
