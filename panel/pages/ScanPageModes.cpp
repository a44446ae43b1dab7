// The Scan page's mode fields: units, start and stop, speed and step, the number of scans and the
// multi-spectral element list.
#include "ScanPage.h"

#include "KTarvexController.h"
#include "PanelDialogs.h"
#include "RangeTable.h"
#include "UnitTexts.h"
#include "Widgets.h"

namespace tarvex::panel {

namespace {

constexpr int kMaxElements = static_cast<int>(MultiSpectralParams::kMaxElements);
// The element list's times in milliseconds: the laser takes them in microseconds, 32 bits.
constexpr double kMaxTimeMs = 4294967.0;

bool Wavenumber(std::uint8_t unit) {
    return unit == units::kWavenumber;
}

// A wavelength or wavenumber field's format in `unit`.
void SetWwFormat(QDoubleSpinBox& field, std::uint8_t unit) {
    field.setDecimals(Wavenumber(unit) ? 1 : 2);
    field.setSingleStep(Wavenumber(unit) ? 1.0 : 0.01);
}

// `value`, given in `from`, as a field in `unit` shows it: converted when the units differ and on
// the half-cm-1 grid in cm-1.
double Expressed(double value, std::uint8_t from, std::uint8_t unit) {
    const bool convert = Wavenumber(from) != Wavenumber(unit);
    const double shown = convert ? units::Convert(static_cast<float>(value)) : value;
    return Wavenumber(unit) ? RoundToHalf(shown) : shown;
}

// Sets a start or stop field up for `unit` within the laser's range and shows `value` (in `from`).
void ShowWwField(QDoubleSpinBox& field, double value, std::uint8_t from, std::uint8_t unit,
                 const TuningRange& overall) {
    const TuningRange range = overall.In(unit);
    SetWwFormat(field, unit);
    field.setRange(range.min, range.max);
    field.setValue(Expressed(value, from, unit));
}

void Swap(QDoubleSpinBox& start, QDoubleSpinBox& stop) {
    const double first = start.value();
    start.setValue(stop.value());
    stop.setValue(first);
}

} // namespace

void ScanPage::ConnectModeFields() {
    connect(ui.comboBox_SweepModeUnits, &QComboBox::currentTextChanged, this,
            &ScanPage::comboBoxSweepModeUnitsChanged);
    connect(ui.comboBox_StepMeasureModeUnits, &QComboBox::currentTextChanged, this,
            &ScanPage::comboBoxStepMeasureModeUnitsChanged);
    connect(ui.comboBox_MultiSpectralModeUnits, &QComboBox::currentTextChanged, this,
            &ScanPage::comboBoxMultiSpectralModeUnitsChanged);
    connect(ui.checkBox_SweepModeNumberOfScansInfinite, &QCheckBox::toggled, this,
            &ScanPage::checkBoxSweepModeNumberOfScansInfiniteToggle);
    connect(ui.checkBox_StepMeasureModeNumberOfScansInfinite, &QCheckBox::toggled, this,
            &ScanPage::checkBoxStepMeasureModeNumberOfScansInfiniteToggle);
    connect(ui.checkBox_MultiSpectralModeNumberOfScansInfinite, &QCheckBox::toggled, this,
            &ScanPage::checkBoxMultiSpectralModeNumberOfScansInfiniteToggle);
    connect(ui.spinBox_SweepModeNumberOfScans, &QSpinBox::valueChanged, this,
            &ScanPage::SweepModeNumScansValueChange);
    connect(ui.spinBox_MultiSpectralModeNumScans, &QSpinBox::valueChanged, this,
            &ScanPage::MultiSpectralModeScanValueChanged);
    connect(ui.toolButton_SweepSwapStartStop, &QAbstractButton::clicked, this,
            &ScanPage::toolbutton_SweepSwapStartStop);
    connect(ui.toolButton_StepAndMeasureSwapStartStop, &QAbstractButton::clicked, this,
            &ScanPage::toolbutton_StepAndMeasureSwapStartStopClicked);
    connect(ui.pushButton_AddMultiSpectralModeElement, &QAbstractButton::clicked, this,
            &ScanPage::pushButtonAddMultiSpectralModeElementClicked);
    connect(ui.pushButton_RemoveMultiSpectralModeElement, &QAbstractButton::clicked, this,
            &ScanPage::pushButtonRemoveMultiSpectralModeElementClicked);
    connect(ui.tableWidget_MultiSpectralModeElements, &QTableWidget::itemSelectionChanged, this,
            &ScanPage::tableWidgetMultiSpectralModeElementsItemSelectionChanged);
}

void ScanPage::SetUpModeFields() {
    for (QDoubleSpinBox* time :
         {ui.doubleSpinBox_MultiSpectralModeDwellTime, ui.doubleSpinBox_MultiSpectralModeOffTime}) {
        time->setDecimals(0);
        time->setRange(0, kMaxTimeMs);
    }
    ui.doubleSpinBox_MultiSpectralModeDwellTime->setValue(100);
    ui.pushButton_RemoveMultiSpectralModeElement->setEnabled(false);
    ui.tableWidget_MultiSpectralModeElements->horizontalHeader()->setSectionResizeMode(
        QHeaderView::Stretch);
}

QSpinBox* ScanPage::NumScansBox(int mode) const {
    switch (mode) {
    case StepMeasure:
        return ui.spinBox_StepMeasureModeNumberOfScans;
    case MultiSpectral:
        return ui.spinBox_MultiSpectralModeNumScans;
    default:
        return ui.spinBox_SweepModeNumberOfScans;
    }
}

QCheckBox* ScanPage::InfiniteBox(int mode) const {
    switch (mode) {
    case StepMeasure:
        return ui.checkBox_StepMeasureModeNumberOfScansInfinite;
    case MultiSpectral:
        return ui.checkBox_MultiSpectralModeNumberOfScansInfinite;
    default:
        return ui.checkBox_SweepModeNumberOfScansInfinite;
    }
}

bool ScanPage::FieldsFilled(int mode) const {
    return ui.comboBox_scanmodes->itemData(mode, Qt::UserRole).toBool();
}

void ScanPage::SetFieldsFilled(int mode) {
    ui.comboBox_scanmodes->setItemData(mode, true, Qt::UserRole);
}

// --- Units ---------------------------------------------------------------------------------------

void ScanPage::comboBoxSweepModeUnitsChanged(const QString& text) {
    if (text.isEmpty())
        return;
    const std::uint8_t unit = shell_.Texts().UnitOf(text);
    const LaserCache c = shell_.Controller().Snapshot();
    const TuningRange overall = OverallTuningRange(c);
    ui.checkBox_sweepModeBiDirectional->setChecked(c.sweep.bidirectional != 0);
    QDoubleSpinBox& speed = *ui.doubleSpinBox_SweepModeScanSpeed;
    speed.setDecimals(Wavenumber(unit) ? 1 : 2);
    speed.setSingleStep(Wavenumber(unit) ? 1.0 : 0.01);
    speed.setRange(Wavenumber(unit) ? 0.1 : 0.001, Wavenumber(unit) ? 30000 : 180);
    ui.label_SweepModeScanSpeed->setText(tr("Scan speed (") + text + tr("/s):"));
    QDoubleSpinBox& start = *ui.doubleSpinBox_SweepModeStart;
    QDoubleSpinBox& stop = *ui.doubleSpinBox_SweepModeStop;
    if (FieldsFilled(Sweep)) {
        ShowWwField(start, start.value(), fieldUnit_[Sweep], unit, overall);
        ShowWwField(stop, stop.value(), fieldUnit_[Sweep], unit, overall);
    } else {
        ShowWwField(start, c.sweep.scan_start_ww, c.sweep.scan_start_unit, unit, overall);
        ShowWwField(stop, c.sweep.scan_stop_ww, c.sweep.scan_stop_unit, unit, overall);
    }
    speed.setValue(Wavenumber(unit) ? RoundToHalf(c.sweep.scan_speed) : c.sweep.scan_speed);
    fieldUnit_[Sweep] = unit;
    SetFieldsFilled(Sweep);
    if (ui.comboBox_scanmodes->currentIndex() == Sweep)
        RebuildRange(unit);
}

void ScanPage::comboBoxStepMeasureModeUnitsChanged(const QString& text) {
    if (text.isEmpty())
        return;
    const std::uint8_t unit = shell_.Texts().UnitOf(text);
    const LaserCache c = shell_.Controller().Snapshot();
    const TuningRange overall = OverallTuningRange(c);
    QDoubleSpinBox& start = *ui.doubleSpinBox_StepMeasureModeStart;
    QDoubleSpinBox& stop = *ui.doubleSpinBox_StepMeasureModeStop;
    QDoubleSpinBox& step = *ui.doubleSpinBox_StepMeasureModeStepSize;
    const bool filled = FieldsFilled(StepMeasure);
    if (filled) {
        ShowWwField(start, start.value(), fieldUnit_[StepMeasure], unit, overall);
        ShowWwField(stop, stop.value(), fieldUnit_[StepMeasure], unit, overall);
    } else {
        ShowWwField(start, c.stepMeasure.scan_start, c.stepMeasure.scan_start_unit, unit, overall);
        ShowWwField(stop, c.stepMeasure.scan_stop, c.stepMeasure.scan_stop_unit, unit, overall);
    }
    step.setDecimals(Wavenumber(unit) ? 1 : 2);
    step.setSingleStep(Wavenumber(unit) ? 1.0 : 0.01);
    step.setRange(Wavenumber(unit) ? 0.5 : 0.01, Wavenumber(unit) ? 1000 : 5);
    // A step size does not convert between the units: the new unit's default replaces it.
    step.setValue(filled ? (Wavenumber(unit) ? 10.0 : 0.1) : c.stepMeasure.step_size);
    fieldUnit_[StepMeasure] = unit;
    SetFieldsFilled(StepMeasure);
    if (ui.comboBox_scanmodes->currentIndex() == StepMeasure)
        RebuildRange(unit);
}

void ScanPage::comboBoxMultiSpectralModeUnitsChanged(const QString& text) {
    if (text.isEmpty())
        return;
    const UnitTexts& texts = shell_.Texts();
    const std::uint8_t unit = texts.UnitOf(text);
    const LaserCache c = shell_.Controller().Snapshot();
    const TuningRange overall = OverallTuningRange(c);
    ui.label_MultiSpectralModeWW->setText(texts.Name(unit) + QStringLiteral(":"));
    QTableWidget& list = *ui.tableWidget_MultiSpectralModeElements;
    list.setHorizontalHeaderLabels({Wavenumber(unit) ? tr("Wave\nnumber") : tr("Wave\nlength"),
                                    tr("Dwell\nTime (ms)"), tr("Off\nTime (ms)")});
    QDoubleSpinBox& value = *ui.doubleSpinBox_MultiSpectralModeWW;
    if (FieldsFilled(MultiSpectral)) {
        const std::uint8_t from = fieldUnit_[MultiSpectral];
        ShowWwField(value, value.value(), from, unit, overall);
        for (int row = 0; row < list.rowCount(); ++row)
            list.item(row, 0)->setText(
                FormatWw(static_cast<float>(Expressed(ElementValue(row), from, unit)), unit));
    } else {
        // The list the laser keeps, to start from.
        const MultiSpectralParams& stored = c.multiSpectral;
        const int count = std::min<int>(stored.num_ww, kMaxElements);
        list.setRowCount(0);
        for (int i = 0; i < count; ++i) {
            const MultiSpectralElement& e = stored.elements[static_cast<std::size_t>(i)];
            AppendElement(static_cast<float>(Expressed(e.scan_ww, stored.scan_ww_unit, unit)),
                          e.dwell_time / 1000.0, e.after_off_time / 1000.0, unit);
        }
        ShowWwField(value, count > 0 ? stored.elements[0].scan_ww : 0.0, stored.scan_ww_unit, unit,
                    overall);
        UpdateElementButtons();
    }
    fieldUnit_[MultiSpectral] = unit;
    SetFieldsFilled(MultiSpectral);
    if (ui.comboBox_scanmodes->currentIndex() == MultiSpectral)
        RebuildRange(unit);
}

// --- Number of scans and start/stop --------------------------------------------------------------

void ScanPage::SetInfinite(int mode, bool infinite) {
    QSpinBox* box = NumScansBox(mode);
    box->setEnabled(!infinite);
    box->setValue(infinite ? 0 : 1);
}

void ScanPage::checkBoxSweepModeNumberOfScansInfiniteToggle(bool checked) {
    SetInfinite(Sweep, checked);
}

void ScanPage::checkBoxStepMeasureModeNumberOfScansInfiniteToggle(bool checked) {
    SetInfinite(StepMeasure, checked);
}

void ScanPage::checkBoxMultiSpectralModeNumberOfScansInfiniteToggle(bool checked) {
    SetInfinite(MultiSpectral, checked);
}

void ScanPage::SweepModeNumScansValueChange(int value) {
    if (value == 0)
        ui.checkBox_SweepModeNumberOfScansInfinite->setChecked(true);
}

void ScanPage::MultiSpectralModeScanValueChanged(int value) {
    if (value == 0)
        ui.checkBox_MultiSpectralModeNumberOfScansInfinite->setChecked(true);
}

void ScanPage::toolbutton_SweepSwapStartStop() {
    Swap(*ui.doubleSpinBox_SweepModeStart, *ui.doubleSpinBox_SweepModeStop);
}

void ScanPage::toolbutton_StepAndMeasureSwapStartStopClicked() {
    Swap(*ui.doubleSpinBox_StepMeasureModeStart, *ui.doubleSpinBox_StepMeasureModeStop);
}

// --- Multi-spectral element list -----------------------------------------------------------------

float ScanPage::ElementValue(int row) const {
    return ui.tableWidget_MultiSpectralModeElements->item(row, 0)->text().toFloat();
}

void ScanPage::AppendElement(float value, double dwellMs, double offMs, std::uint8_t unit) {
    QTableWidget& list = *ui.tableWidget_MultiSpectralModeElements;
    const int row = list.rowCount();
    list.insertRow(row);
    const QStringList cells = {FormatWw(value, unit), QString::number(dwellMs, 'f', 0),
                               QString::number(offMs, 'f', 0)};
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setTextAlignment(Qt::AlignCenter);
        list.setItem(row, column, item);
    }
}

void ScanPage::UpdateElementButtons() {
    QTableWidget& list = *ui.tableWidget_MultiSpectralModeElements;
    ui.pushButton_AddMultiSpectralModeElement->setEnabled(list.rowCount() < kMaxElements);
    ui.pushButton_RemoveMultiSpectralModeElement->setEnabled(
        !list.selectionModel()->selectedRows().isEmpty());
}

void ScanPage::pushButtonAddMultiSpectralModeElementClicked() {
    QTableWidget& list = *ui.tableWidget_MultiSpectralModeElements;
    if (list.rowCount() >= kMaxElements)
        return;
    const std::uint8_t unit = ModeUnit(MultiSpectral);
    const auto value = static_cast<float>(ui.doubleSpinBox_MultiSpectralModeWW->value());
    // As the list shows it: the same text is the same wavelength.
    const QString text = FormatWw(value, unit);
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.item(row, 0)->text() == text) {
            shell_.Dialogs().Information(shell_.Window(),
                                         tr("This wavelength/wavenumber is already in the list."));
            return;
        }
    }
    AppendElement(value, ui.doubleSpinBox_MultiSpectralModeDwellTime->value(),
                  ui.doubleSpinBox_MultiSpectralModeOffTime->value(), unit);
    UpdateElementButtons();
}

void ScanPage::pushButtonRemoveMultiSpectralModeElementClicked() {
    QTableWidget& list = *ui.tableWidget_MultiSpectralModeElements;
    const QModelIndexList selected = list.selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    list.removeRow(selected.front().row());
    UpdateElementButtons();
}

void ScanPage::tableWidgetMultiSpectralModeElementsItemSelectionChanged() {
    UpdateElementButtons();
}

} // namespace tarvex::panel
