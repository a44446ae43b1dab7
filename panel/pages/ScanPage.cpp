#include "ScanPage.h"

#include "CommandLine.h"
#include "ExtendedStatus.h"
#include "KTarvexController.h"
#include "Lamps.h"
#include "PanelDialogs.h"
#include "PanelTrace.h"
#include "Preconditions.h"
#include "PreferredQcl.h"
#include "RangeTable.h"
#include "StatusView.h"
#include "UnitTexts.h"
#include "Widgets.h"

namespace tarvex::panel {

namespace {

int ModeOf(PendingOperation scan) {
    return static_cast<int>(scan) - static_cast<int>(PendingOperation::SweepScan);
}

// The element list holds times in milliseconds; the laser takes microseconds.
std::uint32_t Microseconds(const QString& milliseconds) {
    return static_cast<std::uint32_t>(milliseconds.toDouble() * 1000.0);
}

QString NumberOfScansText(int count) {
    return count == 0 ? ScanPage::tr("Infinite") : QString::number(count);
}

} // namespace

ScanPage::ScanPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.comboBox_scanmodes, &QComboBox::currentIndexChanged, this,
            &ScanPage::currentScanModeIndexChanged);
    connect(ui.cmdLinkButton_StartScan, &QAbstractButton::clicked, this,
            &ScanPage::buttonClickedStartScan);
    connect(ui.cmdLinkButton_StopScan, &QAbstractButton::clicked, this,
            &ScanPage::buttonClickedStopScan);
    connect(ui.cmdLinkButton_PauseScan, &QAbstractButton::clicked, this,
            &ScanPage::buttonClickedPauseResumeScan);
    connect(ui.commandLinkButton_ManualStep, &QAbstractButton::clicked, this,
            &ScanPage::commandLinkButton_ManualStepClicked);
    connect(ui.cmdLinkButton_ExtendedInfo, &QAbstractButton::clicked, this,
            &ScanPage::buttonClickedExtendedInfo);
    connect(ui.commandLinkButton_ViewScanSettings, &QAbstractButton::clicked, this,
            &ScanPage::buttonClickedScanParameters);
    connect(ui.tableWidget_scanTuningRanges, &QTableWidget::cellClicked, this,
            &ScanPage::tableWidget_scanTuningRangesClicked);
    connect(ui.tableWidget_scanTuningRanges->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ScanPage::tableWidget_scanTuningRangesHeaderClicked);
    ConnectModeFields();
    SetUpModeFields();
    ui.tableWidget_scanTuningRanges->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

void ScanPage::InitializeUI() {
    SetVisible({ui.cmdLinkButton_PauseScan, ui.label_ScanModes, ui.label_ScanRange,
                ui.tableWidget_ExtendedStatus},
               false);
    ShowPauseButton(false);
    const UnitTexts& texts = shell_.Texts();
    const std::uint8_t displayUnit =
        shell_.Controller().ReadCache([](const LaserCache& c) { return c.displayUnits.ww; });
    for (int mode = 0; mode < kModeCount; ++mode) {
        QComboBox* chooser = UnitChooser(mode);
        {
            const QSignalBlocker blocker(chooser);
            chooser->clear();
            chooser->addItems({texts.wavelengthUnit, texts.wavenumberUnit});
            chooser->setCurrentText(texts.Unit(displayUnit));
        }
        // Filled anew from the laser (again after a favourite is recalled).
        ui.comboBox_scanmodes->setItemData(mode, false, Qt::UserRole);
        NumScansBox(mode)->setValue(0);
    }
    comboBoxSweepModeUnitsChanged(UnitChooser(Sweep)->currentText());
    comboBoxStepMeasureModeUnitsChanged(UnitChooser(StepMeasure)->currentText());
    comboBoxMultiSpectralModeUnitsChanged(UnitChooser(MultiSpectral)->currentText());
    currentScanModeIndexChanged(ui.comboBox_scanmodes->currentIndex());
}

QComboBox* ScanPage::UnitChooser(int mode) const {
    switch (mode) {
    case StepMeasure:
        return ui.comboBox_StepMeasureModeUnits;
    case MultiSpectral:
        return ui.comboBox_MultiSpectralModeUnits;
    default:
        return ui.comboBox_SweepModeUnits;
    }
}

std::uint8_t ScanPage::ModeUnit(int mode) const {
    return shell_.Texts().UnitOf(UnitChooser(mode)->currentText());
}

void ScanPage::RebuildRange(std::uint8_t unit) {
    const KTarvexController& controller = shell_.Controller();
    ui.label_ScanRange->setText(
        TuningRangeText(controller.OverallTuningRange(), unit, shell_.Texts()));
    FillTuningRangeRow(*ui.tableWidget_scanTuningRanges, controller, unit);
}

void ScanPage::currentScanModeIndexChanged(int index) {
    if (index < 0)
        return;
    ui.stackedWidget_mode_params->setCurrentIndex(index + 1);
    ui.cmdLinkButton_StartScan->setEnabled(true);
    SetEnabled(
        {ui.cmdLinkButton_PauseScan, ui.commandLinkButton_ManualStep, ui.cmdLinkButton_StopScan},
        false);
    TakeStoredNumberOfScans(index);
    RebuildRange(ModeUnit(index));
    const LaserCache c = shell_.Controller().Snapshot();
    switch (index) {
    case Sweep:
        SetScanPreferredQcl(c.sweep.qcl);
        break;
    case StepMeasure:
        SetScanPreferredQcl(0);
        ui.checkBox_StepMeasureKeepLaserOn->setChecked(c.stepMeasure.enable_params == 1);
        break;
    default:
        SetScanPreferredQcl(0);
        ui.checkBox_MultiSpectralModeKeepLaserOn->setChecked(c.multiSpectral.keep_laser_on != 0);
        break;
    }
}

void ScanPage::TakeStoredNumberOfScans(int mode) {
    QSpinBox* box = NumScansBox(mode);
    if (box->value() != 0)
        return;
    const LaserCache c = shell_.Controller().Snapshot();
    const std::uint16_t stored = mode == Sweep         ? c.sweep.num_scans
                                 : mode == StepMeasure ? c.stepMeasure.num_scans
                                                       : c.multiSpectral.num_scans;
    if (stored == 0) {
        InfiniteBox(mode)->setChecked(true);
        return;
    }
    InfiniteBox(mode)->setChecked(false);
    box->setValue(stored);
}

// --- Preferred QCL -------------------------------------------------------------------------------

void ScanPage::SetScanPreferredQcl(std::uint8_t qcl) {
    shell_.Controller().SetScanQcl(qcl);
    MarkPreferredQcl(*ui.tableWidget_scanTuningRanges, qcl);
}

void ScanPage::ChoosePreferredQcl(int column) {
    const std::uint8_t preferred =
        shell_.Controller().ReadCache([](const LaserCache& c) { return c.scanQcl; });
    SetScanPreferredQcl(ToggledPreferredQcl(preferred, column));
}

void ScanPage::tableWidget_scanTuningRangesClicked(int row, int column) {
    qCDebug(lcPanel, "Clicked row:%i, col:%i", row, column);
    ChoosePreferredQcl(column);
}

void ScanPage::tableWidget_scanTuningRangesHeaderClicked(int column) {
    qCDebug(lcPanel, "Header Clicked col:%i", column);
    ChoosePreferredQcl(column);
}

// --- Run control ---------------------------------------------------------------------------------

void ScanPage::buttonClickedStartScan() {
    Preconditions& checks = shell_.Checks();
    if (!shell_.Options().developer && (!checks.ArmedAndTecsReady() || !checks.InterlockAndKey()))
        return;
    ui.tableWidget_ExtendedStatus->hide();
    const std::optional<PendingOperation> started = StartChosenScan();
    if (!started)
        return;
    shell_.Follow(*started);
    const std::uint8_t trigger = shell_.Controller().ReadCache(
        [](const LaserCache& c) { return c.laserParams.process_trigger_mode; });
    ui.cmdLinkButton_StartScan->setEnabled(false);
    ShowPauseButton(false);
    ui.cmdLinkButton_PauseScan->setEnabled(true);
    ui.cmdLinkButton_StopScan->setEnabled(true);
    ui.commandLinkButton_ManualStep->setEnabled(trigger == process_trigger::kManual);
    ui.groupBox_ScanSettings->setTitle(tr("Scan Status"));
    ui.comboBox_scanmodes->setEnabled(false);
    shell_.SetNavigationEnabled({Page::About, Page::ContactUs, Page::Factory, Page::Tune,
                                 Page::Settings, Page::CommSettings, Page::Favorites},
                                false);
    ui.stackedWidget_mode_params->setCurrentWidget(ui.page_scan_status);
    ShowLamp(*ui.label_LightValidLED, Lamp::Off);
    ui.progressBar_ScanProgress->setValue(0);
    shell_.RefreshStatusDisplay();
}

std::optional<PendingOperation> ScanPage::StartChosenScan() {
    KTarvexController& controller = shell_.Controller();
    PanelDialogs& dialogs = shell_.Dialogs();
    const TuningRange overall = controller.OverallTuningRange();
    const int mode = ui.comboBox_scanmodes->currentIndex();
    const std::uint8_t unit = ModeUnit(mode);
    // Values in cm-1 are held to the laser's range.
    const auto limit = [&overall, unit](double value) {
        const auto ww = static_cast<float>(value);
        return unit == units::kWavenumber ? LimitToRange(ww, overall) : ww;
    };
    const auto numScans = static_cast<std::uint16_t>(NumScansBox(mode)->value());
    bool started = false;
    PendingOperation scan = PendingOperation::SweepScan;
    switch (mode) {
    case Sweep: {
        const double speed = ui.doubleSpinBox_SweepModeScanSpeed->value();
        if (speed == 0) {
            dialogs.Information(shell_.Window(), tr("Invalid scan speed value."));
            return std::nullopt;
        }
        const std::uint8_t preferred =
            controller.ReadCache([](const LaserCache& c) { return c.scanQcl; });
        started = controller.StartSweepScan(
            limit(ui.doubleSpinBox_SweepModeStart->value()),
            limit(ui.doubleSpinBox_SweepModeStop->value()), static_cast<float>(speed), unit,
            numScans, ui.checkBox_sweepModeBiDirectional->isChecked(), preferred);
        break;
    }
    case StepMeasure: {
        const double step = ui.doubleSpinBox_StepMeasureModeStepSize->value();
        if (step == 0) {
            dialogs.Information(shell_.Window(), tr("Invalid step size."));
            return std::nullopt;
        }
        scan = PendingOperation::StepMeasureScan;
        started = controller.StartStepMeasureScan(
            limit(ui.doubleSpinBox_StepMeasureModeStart->value()),
            limit(ui.doubleSpinBox_StepMeasureModeStop->value()), static_cast<float>(step), unit,
            numScans, ui.checkBox_StepMeasureKeepLaserOn->isChecked());
        break;
    }
    case MultiSpectral: {
        const QTableWidget& list = *ui.tableWidget_MultiSpectralModeElements;
        if (list.rowCount() == 0) {
            dialogs.Information(shell_.Window(), tr("No Wavenumber/Wavelength specified."));
            return std::nullopt;
        }
        std::vector<MultiSpectralElement> elements;
        for (int row = 0; row < list.rowCount(); ++row)
            elements.push_back({limit(ElementValue(row)), Microseconds(list.item(row, 1)->text()),
                                Microseconds(list.item(row, 2)->text())});
        scan = PendingOperation::MultiSpectralScan;
        started = controller.StartMultiSpectralScan(
            elements, unit, numScans, ui.checkBox_MultiSpectralModeKeepLaserOn->isChecked());
        break;
    }
    default:
        return std::nullopt;
    }
    if (!started) {
        dialogs.Information(shell_.Window(), tr("Error starting scan."));
        return std::nullopt;
    }
    return scan;
}

void ScanPage::buttonClickedStopScan() {
    shell_.Controller().StopScan();
    ui.stackedWidget_mode_params->setCurrentIndex(ui.comboBox_scanmodes->currentIndex() + 1);
}

void ScanPage::buttonClickedPauseResumeScan() {
    if (!shell_.Checks().ArmedAndTecsReady())
        return;
    KTarvexController& controller = shell_.Controller();
    const bool pausing = ui.cmdLinkButton_PauseScan->text() == tr("Pause Scan");
    // The button says what the laser does: unchanged when it did not take the operation.
    if (pausing ? controller.PauseScan() : controller.ResumeScan())
        ShowPauseButton(pausing);
}

void ScanPage::ShowPauseButton(bool paused) {
    ui.cmdLinkButton_PauseScan->setIcon(
        QIcon(paused ? QStringLiteral(":/TarvexControl/Resources/Play-Normal-icon.png")
                     : QStringLiteral(":/TarvexControl/Resources/Pause-Normal-icon.png")));
    ui.cmdLinkButton_PauseScan->setText(paused ? tr("Resume Scan") : tr("Pause Scan"));
}

void ScanPage::commandLinkButton_ManualStepClicked() {
    if (!shell_.Checks().ArmedAndTecsReady())
        return;
    shell_.Controller().ManualStep();
}

// --- Following a scan ----------------------------------------------------------------------------

bool ScanPage::FollowScan(PendingOperation scan, const ScanStatus& status, const StatusView& view) {
    const bool stepMeasure = scan == PendingOperation::StepMeasureScan;
    ui.label_ScanStepSize->setVisible(stepMeasure);
    ui.label_ScanStepSizeValue->setVisible(stepMeasure);
    if (stepMeasure) {
        const StepMeasureParams params =
            shell_.Controller().ReadCache([](const LaserCache& c) { return c.stepMeasure; });
        ui.label_ScanStepSizeValue->setText(FormatWw(params.step_size, params.step_size_unit) +
                                            QStringLiteral(" ") +
                                            shell_.Texts().Unit(params.step_size_unit));
    }
    ShowLamp(*ui.label_LightValidLED, OnOff(view.EmissionOn()));
    if (!status.scanInProgress) {
        ShowScanEnded(scan);
        return true;
    }
    ShowProgress(scan, status, view);
    RefreshExtendedStatus();
    return false;
}

void ScanPage::ShowProgress(PendingOperation scan, const ScanStatus& status,
                            const StatusView& view) {
    ui.label_ScanRange->setText(QStringLiteral("S C A N N I N G - ") + ProgressPhrases(status));
    if (!status.scanActive)
        return;
    const UnitTexts& texts = shell_.Texts();
    ui.label_ScanRange->setText(tr("Scan Active ..."));
    const float value = status.currentWw;
    const float wavelength = status.unit == units::kWavenumber ? units::Convert(value) : value;
    const float wavenumber = status.unit == units::kMicrons ? units::Convert(value) : value;
    ui.label_CurrentScanWWValue->setText(FormatWw(wavelength, units::kMicrons) +
                                         QStringLiteral(" ") + texts.wavelengthUnit);
    ui.label_CurrentScanWaveNumberValue->setText(
        FormatWw(LimitToRange(wavenumber, view.overall), units::kWavenumber) + QStringLiteral(" ") +
        texts.wavenumberUnit);
    const std::uint16_t configured = shell_.Controller().ReadCache([scan](const LaserCache& c) {
        switch (scan) {
        case PendingOperation::StepMeasureScan:
            return c.stepMeasure.num_scans;
        case PendingOperation::MultiSpectralScan:
            return c.multiSpectral.num_scans;
        default:
            return c.sweep.num_scans;
        }
    });
    ui.label_CurrentScanNumberValue->setText(
        QString::number(status.curScanNum) +
        (configured == 0 ? tr(" of (infinite)") : tr(" of ") + QString::number(configured)));
    ui.progressBar_ScanProgress->setValue(status.scanPercent);
}

void ScanPage::ShowScanEnded(PendingOperation scan) {
    ui.cmdLinkButton_StartScan->setEnabled(true);
    ui.cmdLinkButton_PauseScan->setEnabled(false);
    ui.cmdLinkButton_StopScan->setEnabled(false);
    ui.commandLinkButton_ManualStep->setEnabled(true);
    ui.groupBox_ScanSettings->setTitle(tr("Scan Settings"));
    ui.comboBox_scanmodes->setEnabled(true);
    // Through "no mode", so that the mode's page is rebuilt even when it is selected already.
    const int mode = ModeOf(scan);
    ui.comboBox_scanmodes->setCurrentIndex(-1);
    ui.comboBox_scanmodes->setCurrentIndex(mode);
    RebuildRange(ModeUnit(mode));
    ShowLamp(*ui.label_LightValidLED, Lamp::Off);
    ui.label_CurrentScanWWValue->clear();
    ui.label_CurrentScanWaveNumberValue->clear();
    ui.label_CurrentScanNumberValue->clear();
    ui.progressBar_ScanProgress->setValue(100);
}

// --- Extended table ------------------------------------------------------------------------------

void ScanPage::buttonClickedExtendedInfo() {
    QTableWidget& table = *ui.tableWidget_ExtendedStatus;
    if (!table.isHidden() && extendedShowsStatus_) {
        table.hide();
        extendedShowsStatus_ = false;
        return;
    }
    extendedShowsStatus_ = true;
    table.show();
    RefreshExtendedStatus();
}

void ScanPage::RefreshExtendedStatus() {
    if (ui.tableWidget_ExtendedStatus->isHidden() || !extendedShowsStatus_)
        return;
    FillExtendedStatus(*ui.tableWidget_ExtendedStatus, ExtendedColumns::Scan,
                       shell_.Controller().Snapshot());
}

void ScanPage::buttonClickedScanParameters() {
    extendedShowsStatus_ = false;
    ShowScanSettings();
    ui.tableWidget_ExtendedStatus->show();
}

void ScanPage::ShowScanSettings() {
    QTableWidget& table = *ui.tableWidget_ExtendedStatus;
    const int mode = ui.comboBox_scanmodes->currentIndex();
    const std::uint8_t unit = ModeUnit(mode);
    const QString count = NumberOfScansText(NumScansBox(mode)->value());
    const auto ww = [unit](double value) { return FormatWw(static_cast<float>(value), unit); };
    QStringList cells;
    switch (mode) {
    case Sweep:
        SetTableHeaders(table, {QString()},
                        {tr("Start"), tr("Stop"), tr("Scan Speed"), tr("Number\nOf Scans"),
                         tr("Scan\nDirection")});
        cells = {ww(ui.doubleSpinBox_SweepModeStart->value()),
                 ww(ui.doubleSpinBox_SweepModeStop->value()),
                 ui.doubleSpinBox_SweepModeScanSpeed->text(), count,
                 ui.checkBox_sweepModeBiDirectional->isChecked() ? tr("Both") : tr("Single")};
        break;
    case StepMeasure:
        SetTableHeaders(table, {QString()},
                        {tr("Start"), tr("Stop"), tr("Step Size"), tr("Number of Scans")});
        cells = {ww(ui.doubleSpinBox_StepMeasureModeStart->value()),
                 ww(ui.doubleSpinBox_StepMeasureModeStop->value()),
                 ui.doubleSpinBox_StepMeasureModeStepSize->text(), count};
        break;
    default: {
        const QTableWidget& list = *ui.tableWidget_MultiSpectralModeElements;
        QStringList rows;
        for (int row = 0; row < list.rowCount(); ++row)
            rows << QString::number(row + 1);
        SetTableHeaders(table, rows,
                        {unit == units::kWavenumber ? tr("Wavenumber") : tr("Wavelength"),
                         tr("Dwell Time(ms)"), tr("Off Time(ms)"), tr("Number of Scans:")});
        for (int row = 0; row < list.rowCount(); ++row)
            for (int column = 0; column < 3; ++column)
                DisplayCell(table, row, column)->setText(list.item(row, column)->text());
        if (list.rowCount() > 0)
            DisplayCell(table, 0, 3)->setText(count);
        return;
    }
    }
    for (int column = 0; column < cells.size(); ++column)
        DisplayCell(table, 0, column)->setText(cells[column]);
}

} // namespace tarvex::panel
