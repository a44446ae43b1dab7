#include "ScanPage.h"

#include "CommandLine.h"
#include "KTarvexController.h"
#include "Lamps.h"
#include "PanelDialogs.h"
#include "Preconditions.h"
#include "RangeTable.h"
#include "StatusView.h"
#include "UnitTexts.h"
#include "Widgets.h"

namespace tarvex::panel {

namespace {

int ModeOf(PendingOperation scan) {
    return static_cast<int>(scan) - static_cast<int>(PendingOperation::SweepScan);
}

} // namespace

ScanPage::ScanPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.comboBox_scanmodes, &QComboBox::currentIndexChanged, this,
            &ScanPage::currentScanModeIndexChanged);
    connect(ui.cmdLinkButton_StartScan, &QAbstractButton::clicked, this,
            &ScanPage::buttonClickedStartScan);
    connect(ui.cmdLinkButton_StopScan, &QAbstractButton::clicked, this,
            &ScanPage::buttonClickedStopScan);
    ui.tableWidget_scanTuningRanges->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

void ScanPage::InitializeUI() {
    SetVisible({ui.cmdLinkButton_PauseScan, ui.label_ScanModes, ui.label_ScanRange,
                ui.tableWidget_ExtendedStatus},
               false);
    // Nothing to show in the extended table until the scan modes' settings are on the page.
    SetEnabled({ui.cmdLinkButton_ExtendedInfo, ui.commandLinkButton_ViewScanSettings}, false);
    const UnitTexts& texts = shell_.Texts();
    const std::uint8_t displayUnit =
        shell_.Controller().ReadCache([](const LaserCache& c) { return c.displayUnits.ww; });
    for (int mode = 0; mode < 3; ++mode) {
        QComboBox* chooser = UnitChooser(mode);
        const QSignalBlocker blocker(chooser);
        chooser->clear();
        chooser->addItems({texts.wavelengthUnit, texts.wavenumberUnit});
        chooser->setCurrentText(texts.Unit(displayUnit));
    }
    currentScanModeIndexChanged(ui.comboBox_scanmodes->currentIndex());
}

QComboBox* ScanPage::UnitChooser(int mode) const {
    switch (mode) {
    case 1:
        return ui.comboBox_StepMeasureModeUnits;
    case 2:
        return ui.comboBox_MultiSpectralModeUnits;
    default:
        return ui.comboBox_SweepModeUnits;
    }
}

std::uint8_t ScanPage::ModeUnit(int mode) const {
    return static_cast<std::uint8_t>(UnitChooser(mode)->currentIndex() + 1);
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
    RebuildRange(ModeUnit(index));
}

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
    const LaserCache c = controller.Snapshot();
    const TuningRange overall = OverallTuningRange(c);
    // Values in cm-1 are held to the laser's range.
    const auto limit = [&overall](float value, std::uint8_t unit) {
        return unit == units::kWavenumber ? LimitToRange(value, overall) : value;
    };
    bool started = false;
    PendingOperation scan = PendingOperation::SweepScan;
    switch (ui.comboBox_scanmodes->currentIndex()) {
    case 0: {
        const SweepModeParams& p = c.sweep;
        if (p.scan_speed == 0) {
            dialogs.Information(shell_.Window(), tr("Invalid scan speed value."));
            return std::nullopt;
        }
        const std::uint8_t unit = p.scan_start_unit;
        started =
            controller.StartSweepScan(limit(p.scan_start_ww, unit), limit(p.scan_stop_ww, unit),
                                      p.scan_speed, unit, p.num_scans, p.bidirectional != 0, p.qcl);
        break;
    }
    case 1: {
        const StepMeasureParams& p = c.stepMeasure;
        if (p.step_size == 0) {
            dialogs.Information(shell_.Window(), tr("Invalid step size."));
            return std::nullopt;
        }
        const std::uint8_t unit = p.scan_start_unit;
        scan = PendingOperation::StepMeasureScan;
        started =
            controller.StartStepMeasureScan(limit(p.scan_start, unit), limit(p.scan_stop, unit),
                                            p.step_size, unit, p.num_scans, p.enable_params == 1);
        break;
    }
    case 2: {
        const MultiSpectralParams& p = c.multiSpectral;
        if (p.num_ww == 0) {
            dialogs.Information(shell_.Window(), tr("No Wavenumber/Wavelength specified."));
            return std::nullopt;
        }
        std::vector<MultiSpectralElement> elements(
            p.elements.begin(),
            p.elements.begin() + std::min<std::size_t>(p.num_ww, p.elements.size()));
        for (MultiSpectralElement& element : elements)
            element.scan_ww = limit(element.scan_ww, p.scan_ww_unit);
        scan = PendingOperation::MultiSpectralScan;
        started = controller.StartMultiSpectralScan(elements, p.scan_ww_unit, p.num_scans,
                                                    p.keep_laser_on != 0);
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

} // namespace tarvex::panel
