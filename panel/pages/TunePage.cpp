#include "TunePage.h"

#include "CommandLine.h"
#include "ExtendedStatus.h"
#include "KTarvexController.h"
#include "PanelDialogs.h"
#include "PanelShell.h"
#include "PanelTrace.h"
#include "Preconditions.h"
#include "PreferredQcl.h"
#include "RangeTable.h"
#include "StatusView.h"
#include "UnitTexts.h"
#include "Widgets.h"

namespace tarvex::panel {

namespace {

QString PulseModeText(std::uint8_t mode) {
    switch (mode) {
    case pulse_mode::kExternalTrigger:
        return TunePage::tr("External Trigger");
    case pulse_mode::kExternalPassThrough:
        return TunePage::tr("External Passthru");
    case pulse_mode::kWavelengthTrigger:
        return TunePage::tr("Wavelength Trigger");
    default:
        return TunePage::tr("Internal");
    }
}

QString TriggerModeText(std::uint8_t mode) {
    switch (mode) {
    case process_trigger::kManual:
        return TunePage::tr("Manual");
    case process_trigger::kExternalStep:
        return TunePage::tr("External");
    default:
        return TunePage::tr("Internal");
    }
}

} // namespace

TunePage::TunePage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.doubleSpinBox_tuneWW, &QDoubleSpinBox::textChanged, this,
            &TunePage::tuneWWValueChanged);
    connect(ui.comboBox_tuneWW, &QComboBox::currentTextChanged, this,
            &TunePage::comboBoxtuneWWIndexChanged);
    connect(ui.commandLinkButton_tuneWW, &QAbstractButton::clicked, this,
            &TunePage::buttonClickedtuneWW);
    connect(ui.commandLinkButton_stopTuneWW, &QAbstractButton::clicked, this,
            &TunePage::buttonClickedStoptuneWW);
    connect(ui.commandLinkButton_CancelManualTune, &QAbstractButton::clicked, this,
            &TunePage::commandLinkButton_CancelManualTuneClicked);
    connect(ui.commandLinkButton_ExtendedInfoTune, &QAbstractButton::clicked, this,
            &TunePage::buttonClickedExtendedInfoTune);
    connect(ui.tableWidget_TuneTuningRanges, &QTableWidget::cellClicked, this,
            &TunePage::tableWidget_TuneTuningRangesClicked);
    connect(ui.tableWidget_TuneTuningRanges->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TunePage::tableWidget_TuneTuningRangesHeaderClicked);
    ui.tableWidget_TuneTuningRanges->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

void TunePage::InitializeUI() {
    SetVisible({ui.label_TuneModes, ui.label_TuneRange, ui.commandLinkButton_stopTuneWW,
                ui.tableWidget_ExtendedStatusTune, ui.commandLinkButton_ExtendedInfoTune,
                ui.label_tuneWWStatusCheck},
               false);
    ui.commandLinkButton_CancelManualTune->setEnabled(false);
    SetDirectQclControlsVisible(false);
    const UnitTexts& texts = shell_.Texts();
    const QSignalBlocker blocker(ui.comboBox_tuneWW);
    ui.comboBox_tuneWW->clear();
    ui.comboBox_tuneWW->addItems({texts.wavelengthUnit, texts.wavenumberUnit});
    SelectDisplayUnit();
    RebuildRange();
    ShowModes();
    MarkTunePreferredQcl();
    valueEdited_ = false;
}

void TunePage::Opening() {
    SelectDisplayUnit();
    MarkTunePreferredQcl();
}

void TunePage::MarkTunePreferredQcl() {
    MarkPreferredQcl(*ui.tableWidget_TuneTuningRanges,
                     shell_.Controller().ReadCache([](const LaserCache& c) { return c.tunedQcl; }));
}

void TunePage::ChoosePreferredQcl(int column) {
    KTarvexController& controller = shell_.Controller();
    const std::uint8_t preferred = ToggledPreferredQcl(
        controller.ReadCache([](const LaserCache& c) { return c.tunedQcl; }), column);
    controller.SetTunedQcl(preferred);
    MarkPreferredQcl(*ui.tableWidget_TuneTuningRanges, preferred);
}

void TunePage::tableWidget_TuneTuningRangesClicked(int row, int column) {
    qCDebug(lcPanel, "Clicked row:%i, col:%i", row, column);
    ChoosePreferredQcl(column);
}

void TunePage::tableWidget_TuneTuningRangesHeaderClicked(int column) {
    qCDebug(lcPanel, "Header Clicked col:%i", column);
    ChoosePreferredQcl(column);
}

void TunePage::ShowModes() {
    const LaserParams params =
        shell_.Controller().ReadCache([](const LaserCache& c) { return c.laserParams; });
    ui.label_TuneModes->setText(tr("Using Pulse Mode : ") + PulseModeText(params.pulse_mode) +
                                tr(", Trigger Mode : ") +
                                TriggerModeText(params.process_trigger_mode));
}

void TunePage::buttonClickedExtendedInfoTune() {
    QTableWidget& table = *ui.tableWidget_ExtendedStatusTune;
    table.setVisible(table.isHidden());
    RefreshExtendedStatus();
}

void TunePage::RefreshExtendedStatus() {
    if (ui.tableWidget_ExtendedStatusTune->isHidden())
        return;
    FillExtendedStatus(*ui.tableWidget_ExtendedStatusTune, ExtendedColumns::Tune,
                       shell_.Controller().Snapshot());
}

void TunePage::SelectDisplayUnit() {
    const std::uint8_t unit =
        shell_.Controller().ReadCache([](const LaserCache& c) { return c.displayUnits.ww; });
    ui.comboBox_tuneWW->setCurrentText(shell_.Texts().Unit(unit));
}

std::uint8_t TunePage::Unit() const {
    return shell_.Texts().UnitOf(ui.comboBox_tuneWW->currentText());
}

void TunePage::RebuildRange() {
    const std::uint8_t unit = Unit();
    const UnitTexts& texts = shell_.Texts();
    const KTarvexController& controller = shell_.Controller();
    const TuningRange range = controller.OverallTuningRange().In(unit);
    ui.label_tuneWW->setText(texts.Name(unit) + QStringLiteral(":"));
    {
        // A new range or format is no edit of the value.
        const QSignalBlocker blocker(ui.doubleSpinBox_tuneWW);
        const bool wavenumber = unit == units::kWavenumber;
        ui.doubleSpinBox_tuneWW->setDecimals(wavenumber ? 1 : 2);
        ui.doubleSpinBox_tuneWW->setSingleStep(wavenumber ? 0.5 : 0.01);
        ui.doubleSpinBox_tuneWW->setRange(range.min, range.max);
    }
    ui.label_TuneRange->setText(TuningRangeText(range, unit, texts));
    FillTuningRangeRow(*ui.tableWidget_TuneTuningRanges, controller, unit);
}

void TunePage::ShowTuneEnded() {
    SetEnabled(
        {ui.commandLinkButton_tuneWW, ui.label_tuneWW, ui.doubleSpinBox_tuneWW, ui.comboBox_tuneWW},
        true);
    ui.commandLinkButton_CancelManualTune->setEnabled(false);
    RebuildRange();
    ui.label_tuneWWStatusCheck->hide();
    ui.label_tuneWWStatus->clear();
}

void TunePage::ShowTuneProgress(const QString& text) {
    ui.label_TuneRange->setText(text);
}

void TunePage::ShowTuneActive(bool adjustingWavelength) {
    if (!valueEdited_ && !adjustingWavelength) {
        ui.label_tuneWWStatusCheck->show();
        ui.label_tuneWWStatus->setText(tr("Tuned!"));
    }
    SetEnabled({ui.label_tuneWW, ui.doubleSpinBox_tuneWW, ui.comboBox_tuneWW,
                ui.commandLinkButton_tuneWW, ui.commandLinkButton_CancelManualTune},
               true);
}

void TunePage::ShowEmission(bool on) {
    ui.commandLinkButton_stopTuneWW->setEnabled(on);
}

void TunePage::LoadDirectQclControls(std::uint8_t slot, std::uint8_t mode) {
    KTarvexController& controller = shell_.Controller();
    const std::size_t index = slot - 1u;
    ui.doubleSpinBox_qclVsrcValue->setMaximum(controller.GetQclMaxVsrc(index, mode));
    ui.doubleSpinBox_qclVsrcValue->setValue(controller.GetQclVsrc(index));
    const auto [qcl, params] = controller.ReadCache(
        [index](const LaserCache& c) { return std::pair(c.adminQcl[index], c.qclParams[index]); });
    const bool cw = mode == laser_mode::kCw || mode == 3;
    ui.doubleSpinBox_qclCurrentValue->setRange(
        cw ? qcl.min_drive_cw_current : qcl.min_drive_current,
        cw ? qcl.max_drive_cw_current : qcl.max_drive_current);
    ui.doubleSpinBox_qclCurrentValue->setValue(params.current);
}

void TunePage::ShowQclRestarting() {
    ui.commandLinkButton_CancelManualTune->setEnabled(false);
    ui.commandLinkButton_ExtendedInfoTune->setEnabled(false);
    ui.tableWidget_ExtendedStatusTune->setVisible(false);
    SetDirectQclControlsVisible(false);
}

void TunePage::SetDirectQclControlsVisible(bool visible) {
    SetVisible({ui.label_qclVsrc, ui.doubleSpinBox_qclVsrcValue, ui.label_qclCurrent,
                ui.doubleSpinBox_qclCurrentValue, ui.pushButton_updateQcl},
               visible);
}

void TunePage::buttonClickedtuneWW() {
    Preconditions& checks = shell_.Checks();
    if (!checks.InterlockAndKey() || !checks.ArmedAndTecsReady())
        return;
    KTarvexController& controller = shell_.Controller();
    const std::uint8_t unit = Unit();
    auto value = static_cast<float>(ui.doubleSpinBox_tuneWW->value());
    if (unit == units::kWavenumber)
        value = LimitToRange(value, controller.OverallTuningRange());
    const std::uint8_t preferred =
        controller.ReadCache([](const LaserCache& c) { return c.tunedQcl; });
    if (!controller.TuneToWW(value, unit, 0, preferred)) {
        shell_.Dialogs().Information(
            shell_.Window(), tr("Could not complete this operation due to an error.  Please try "
                                "tuning to different frequency or retry this operation later."));
        return;
    }
    valueEdited_ = false;
    ui.label_tuneWWStatusCheck->hide();
    ui.label_tuneWWStatus->clear();
    SetEnabled({ui.label_tuneWW, ui.doubleSpinBox_tuneWW, ui.comboBox_tuneWW,
                ui.commandLinkButton_CancelManualTune},
               false);
    // Hidden until the first tune: before it there is nothing of the tune's to show.
    ui.commandLinkButton_ExtendedInfoTune->show();
    ui.commandLinkButton_ExtendedInfoTune->setEnabled(true);
    if (shell_.Options().runMode == operating_mode::kManufacturing)
        SetDirectQclControlsVisible(true);
    shell_.SetNavigationEnabled(
        {Page::About, Page::ContactUs, Page::Scan, Page::CommSettings, Page::Favorites}, false);
    shell_.SetEmissionButtonEnabled(false);
    shell_.Follow(PendingOperation::Tune);
}

void TunePage::buttonClickedStoptuneWW() {
    shell_.Controller().StopScan();
}

void TunePage::commandLinkButton_CancelManualTuneClicked() {
    shell_.Controller().StopScan();
    ui.commandLinkButton_CancelManualTune->setEnabled(false);
    shell_.SetEmissionButtonEnabled(false);
    ui.tableWidget_ExtendedStatusTune->hide();
    ui.commandLinkButton_ExtendedInfoTune->setEnabled(false);
    SetDirectQclControlsVisible(false);
}

void TunePage::comboBoxtuneWWIndexChanged(const QString& text) {
    qCDebug(lcPanel, "MainWindow::comboBoxtuneWWIndexChanged");
    if (text.isEmpty())
        return;
    // The value was shown in the other unit.
    double value = units::Convert(static_cast<float>(ui.doubleSpinBox_tuneWW->value()));
    RebuildRange();
    ShowModes();
    if (Unit() == units::kWavenumber)
        value = RoundToHalf(value);
    ui.doubleSpinBox_tuneWW->setValue(value);
}

void TunePage::tuneWWValueChanged(const QString& text) {
    valueEdited_ = true;
    ui.label_tuneWWStatusCheck->hide();
    ui.label_tuneWWStatus->clear();
    ui.commandLinkButton_tuneWW->setText(tr("Tune to ") + text + QStringLiteral(" ") +
                                         ui.comboBox_tuneWW->currentText());
}

} // namespace tarvex::panel
