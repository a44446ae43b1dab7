#pragma once

#include "FormPage.h"
#include "PanelShell.h"
#include "ui_ScanPage.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tarvex {
struct ScanStatus;
}

namespace tarvex::panel {

struct StatusView;

// page_scan, the Scan page: sets up and runs sweep, step-and-measure and multi-spectral scans.
// The status timer follows a running scan through FollowScan. The modes' fields are in
// ScanPageModes.cpp.
class ScanPage final : public FormPage<Ui::ScanPage> {
    Q_OBJECT
public:
    // The scan modes in the order of comboBox_scanmodes.
    enum Mode { Sweep = 0, StepMeasure = 1, MultiSpectral = 2 };
    static constexpr int kModeCount = 3;

    ScanPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;

    QTableWidget& TuningRangeTable() { return *ui.tableWidget_scanTuningRanges; }
    // The unit chosen on a scan mode's page.
    std::uint8_t ModeUnit(int mode) const;
    // The range text and the QCLs' ranges in `unit`.
    void RebuildRange(std::uint8_t unit);

    // One status tick of a running scan; true once the laser reports it no longer in progress,
    // when the page has been made ready for the next scan.
    bool FollowScan(PendingOperation scan, const ScanStatus& status, const StatusView& view);

public Q_SLOTS:
    void currentScanModeIndexChanged(int index);
    void comboBoxSweepModeUnitsChanged(const QString& text);
    void comboBoxStepMeasureModeUnitsChanged(const QString& text);
    void comboBoxMultiSpectralModeUnitsChanged(const QString& text);
    void checkBoxSweepModeNumberOfScansInfiniteToggle(bool checked);
    void checkBoxStepMeasureModeNumberOfScansInfiniteToggle(bool checked);
    void checkBoxMultiSpectralModeNumberOfScansInfiniteToggle(bool checked);
    void SweepModeNumScansValueChange(int value);
    void MultiSpectralModeScanValueChanged(int value);
    void toolbutton_SweepSwapStartStop();
    void toolbutton_StepAndMeasureSwapStartStopClicked();
    void pushButtonAddMultiSpectralModeElementClicked();
    void pushButtonRemoveMultiSpectralModeElementClicked();
    void tableWidgetMultiSpectralModeElementsItemSelectionChanged();

    void buttonClickedStartScan();
    void buttonClickedStopScan();
    void buttonClickedPauseResumeScan();
    void commandLinkButton_ManualStepClicked();
    void buttonClickedExtendedInfo();
    void buttonClickedScanParameters();
    void tableWidget_scanTuningRangesClicked(int row, int column);
    void tableWidget_scanTuningRangesHeaderClicked(int column);

private:
    void ConnectModeFields();
    void SetUpModeFields();
    void ShowProgress(PendingOperation scan, const ScanStatus& status, const StatusView& view);
    void ShowScanEnded(PendingOperation scan);
    void ShowPauseButton(bool paused);
    QComboBox* UnitChooser(int mode) const;
    QSpinBox* NumScansBox(int mode) const;
    QCheckBox* InfiniteBox(int mode) const;
    // Checked: the mode's number of scans 0 and its box disabled; unchecked: 1 and enabled.
    void SetInfinite(int mode, bool infinite);
    // The number of scans the laser keeps for `mode`, when the mode's box shows none.
    void TakeStoredNumberOfScans(int mode);
    // Whether the mode's fields have been filled from the laser once (user data of the scan-mode
    // chooser's item of the mode).
    bool FieldsFilled(int mode) const;
    void SetFieldsFilled(int mode);
    void ChoosePreferredQcl(int column);
    void SetScanPreferredQcl(std::uint8_t qcl);

    // The multi-spectral element list's values, in the list's unit.
    float ElementValue(int row) const;
    void AppendElement(float value, double dwellMs, double offMs, std::uint8_t unit);
    void UpdateElementButtons();

    // Starts the chosen mode's scan from its fields; nothing (the operator told why) when it
    // cannot start.
    std::optional<PendingOperation> StartChosenScan();
    // The settings of the chosen mode, as the scan settings view shows them.
    void ShowScanSettings();
    void RefreshExtendedStatus();

    // The unit each mode's fields are shown in now: what a unit change converts them from.
    std::array<std::uint8_t, kModeCount> fieldUnit_{};
    // The extended table shows the QCLs' readbacks (rather than the scan settings).
    bool extendedShowsStatus_ = false;
};

} // namespace tarvex::panel
