#pragma once

#include "FormPage.h"
#include "ui_TunePage.h"

#include <cstdint>

namespace tarvex::panel {

// page_Manual, the Tune page: tunes the laser to one wavelength or wavenumber. The status timer
// follows a running tune through the Show... operations.
class TunePage final : public FormPage<Ui::TunePage> {
    Q_OBJECT
public:
    TunePage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;
    void Opening() override;

    // The unit the page works in: 2 while comboBox_tuneWW shows "cm-1", else 1.
    std::uint8_t Unit() const;
    // The field's caption, range and format, the range text and the QCLs' ranges in the page's
    // unit.
    void RebuildRange();
    QTableWidget& TuningRangeTable() { return *ui.tableWidget_TuneTuningRanges; }

    // The laser reports the tune over: the tune controls are free again.
    void ShowTuneEnded();
    // Still tuning: what the laser is adjusting.
    void ShowTuneProgress(const QString& text);
    // The tune is active; "Tuned!" unless the value was edited since or the grating still moves.
    void ShowTuneActive(bool adjustingWavelength);
    void ShowEmission(bool on);
    // A QCL is restarting: nothing that acts on a running tune stays in reach.
    void ShowQclRestarting();
    // label_TuneModes: the pulse mode and process trigger the laser tunes with.
    void ShowModes();
    // The direct QCL controls (manufacturing mode): limits by the QCL's mode, values read from
    // the laser.
    void LoadDirectQclControls(std::uint8_t slot, std::uint8_t mode);

    bool ValueEdited() const { return valueEdited_; }
    // While the extended status table is open, fills it from the controller's readbacks.
    void RefreshExtendedStatus();

public Q_SLOTS:
    void tuneWWValueChanged(const QString& text);
    void comboBoxtuneWWIndexChanged(const QString& text);
    void buttonClickedtuneWW();
    void buttonClickedStoptuneWW();
    void commandLinkButton_CancelManualTuneClicked();
    void buttonClickedExtendedInfoTune();
    void tableWidget_TuneTuningRangesClicked(int row, int column);
    void tableWidget_TuneTuningRangesHeaderClicked(int column);

private:
    void SelectDisplayUnit();
    void SetDirectQclControlsVisible(bool visible);
    void ChoosePreferredQcl(int column);
    void MarkTunePreferredQcl();

    // The value was edited since the last tune started.
    bool valueEdited_ = false;
};

} // namespace tarvex::panel
