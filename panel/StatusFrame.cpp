#include "StatusFrame.h"

#include "StatusView.h"
#include "Widgets.h"
#include "ui_StatusFrame.h"

namespace tarvex::panel {

namespace {

QString Fixed(float value, int decimals) {
    return QString::number(static_cast<double>(value), 'f', decimals);
}

QString General(float value) {
    return QString::number(static_cast<double>(value), 'g', 6);
}

QString NotAvailable() {
    return QStringLiteral("N/A");
}

void SetCell(QTableWidget* table, int row, int column, const QString& text,
             std::optional<QColor> background) {
    QTableWidgetItem* item = DisplayCell(*table, row, column);
    item->setText(text);
    if (background)
        item->setBackground(*background);
}

// The colour of a TEC's temperature state: 1 settling from far, 2 close, 3 at its set point.
std::optional<QColor> TemperatureColour(std::uint8_t state) {
    switch (state) {
    case 1:
        return QColor(Qt::gray);
    case 2:
        return QColor(Qt::yellow);
    case 3:
        return QColor(Qt::green);
    default:
        return std::nullopt;
    }
}

} // namespace

StatusFrame::StatusFrame(QWidget* parent)
    : QFrame(parent), ui_(std::make_unique<Ui::StatusFrame>()) {
    ui_->setupUi(this);
    ui_->tableWidget_TempActive->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

StatusFrame::~StatusFrame() = default;

void StatusFrame::Show(const StatusView& view) {
    ShowLight(view);
    ShowActiveQcl(view);
    ShowLamps(view);
    const bool armed = view.Bit(status::kArmed);
    ui_->commandLinkButton_ArmDisarm->setIcon(LampIcon(OnOff(armed)));
    ui_->commandLinkButton_ArmDisarm->setText(armed ? tr("DISARM LASER") : tr("ARM LASER"));
    ShowPointer(view);
    ShowTemperatureTable(view);
    ShowSystemTemperatures(view);
}

void StatusFrame::ShowLight(const StatusView& view) {
    const float value = view.light.current_ww;
    const float wavenumber = view.light.unit == units::kWavenumber ? value : units::Convert(value);
    ui_->label_CurWWValue->setText(
        wavenumber == 0.0f ? NotAvailable() : Fixed(LimitToRange(wavenumber, view.overall), 1));
    const float wavelength = view.light.unit == units::kMicrons ? value : units::Convert(value);
    ui_->label_CurrentWavelengthValue->setText(wavelength == 0.0f ? NotAvailable()
                                                                  : Fixed(wavelength, 2));
}

void StatusFrame::ShowActiveQcl(const StatusView& view) {
    const LaserQclParams* params = view.ActiveParams();
    if (!params) {
        for (QLabel* label : {ui_->label_CurQclStatusValue, ui_->label_ModeStatusValue,
                              ui_->label_PulseRateStatusValue, ui_->label_PulseWidthStatusValue,
                              ui_->label_CurrentStatusValue})
            label->setText(NotAvailable());
        return;
    }
    ui_->label_CurQclStatusValue->setText(QString::number(view.activeQcl));
    const std::uint8_t mode = params->laserMode;
    if (mode == laser_mode::kPulsed) {
        ui_->label_ModeStatusValue->setText(tr("Pulsed"));
        ui_->label_PulseRateStatusValue->setText(General(params->pulse_rate));
        ui_->label_PulseWidthStatusValue->setText(General(params->pulse_width));
    } else if (*laser_mode::Name(mode) != '\0') {
        // Every mode but pulsed is continuous wave: no pulse rate or width to show. Modes
        // beyond the first three are named as the settings page names them, rather than
        // leaving another QCL's pulse values standing.
        ui_->label_ModeStatusValue->setText(mode == 3 ? tr("CW+Mod") : tr(laser_mode::Name(mode)));
        ui_->label_PulseRateStatusValue->setText(NotAvailable());
        ui_->label_PulseWidthStatusValue->setText(NotAvailable());
    }
    ui_->label_CurrentStatusValue->setText(General(params->current));
}

void StatusFrame::ShowLamps(const StatusView& view) {
    ShowLamp(*ui_->label_InterlockStatusLED, OnOff(view.Bit(status::kInterlock)));
    ShowLamp(*ui_->label_KeySwitchedStatusLED, OnOff(view.Bit(status::kKeySwitch)));
    ShowLamp(*ui_->label_TemperatureStatusLED, OnOff(view.Bit(status::kTecsAtTemperature)));
    ShowLamp(*ui_->label_EmissionStatusLED, OnOff(view.EmissionOn()));
}

void StatusFrame::ShowPointer(const StatusView& view) {
    const bool fitted = view.Bit(status::kPointerFitted);
    ui_->frame_pointerEnableDisable->setVisible(fitted);
    ui_->commandLinkButton_EnableDisablePointer->setVisible(fitted);
    if (!fitted)
        return;
    ui_->commandLinkButton_EnableDisablePointer->setEnabled(!view.Bit(status::kScanInProgress));
    const bool on = view.Bit(status::kPointerOn);
    ui_->commandLinkButton_EnableDisablePointer->setIcon(LampIcon(on ? Lamp::Red : Lamp::White));
    ui_->commandLinkButton_EnableDisablePointer->setText(on ? tr("RED LASER OFF")
                                                            : tr("RED LASER ON"));
}

void StatusFrame::ShowTemperatureTable(const StatusView& view) {
    QTableWidget* table = ui_->tableWidget_TempActive;
    const QColor gray(Qt::gray);
    for (int row = 0; row < static_cast<int>(kMaxQcls); ++row) {
        if (static_cast<std::size_t>(row) >= view.installed) {
            for (int column = 0; column < 4; ++column)
                SetCell(table, row, column, QString(), gray);
            continue;
        }
        const QclInfoParam& info = view.qclInfo[row];
        // The readback's last byte is the TEC's temperature state.
        SetCell(table, row, 0, Fixed(info.actual_temp, 3), TemperatureColour(info.extra));
        SetCell(table, row, 2, Fixed(info.actual_tec_current, 0), gray);
        SetCell(table, row, 3, Fixed(view.tecMeas[row].voltage, 2), gray);
        const bool active = row + 1 == view.activeQcl;
        SetCell(table, row, 1, active ? QStringLiteral("Y") : QStringLiteral("N"),
                active ? QColor(Qt::green) : gray);
    }
}

void StatusFrame::ShowSystemTemperatures(const StatusView& view) {
    const struct {
        QLabel* label;
        float value;
        std::uint32_t warning;
    } temperatures[] = {
        {ui_->label_CaseTempValue, view.systemTemps.caseTemp1, status::kCaseTemp1Warning},
        {ui_->label_CaseTemp2Value, view.systemTemps.caseTemp2, status::kCaseTemp2Warning},
        {ui_->label_PcbTempValue, view.systemTemps.pcbTemp, status::kPcbTempWarning},
    };
    for (const auto& t : temperatures) {
        t.label->setText(Fixed(t.value, 1));
        const QString sheet = view.Bit(t.warning) ? QStringLiteral("QLabel { color : red; }")
                                                  : QStringLiteral("QLabel { color : black; }");
        // A style sheet is parsed and the label re-polished on every set: only on a change.
        if (t.label->styleSheet() != sheet)
            t.label->setStyleSheet(sheet);
    }
}

void StatusFrame::ShowEmissionButton(EmissionKind kind, bool enabled, bool on) {
    const bool shown = kind != EmissionKind::Hidden;
    ui_->frame_EmissionAndScan->setVisible(shown);
    ui_->commandLinkButton_LaserOn->setVisible(shown);
    if (!shown)
        return;
    ui_->commandLinkButton_LaserOn->setEnabled(enabled);
    ui_->commandLinkButton_LaserOn->setIcon(LampIcon(OnOff(on)));
    if (kind == EmissionKind::Emission)
        ui_->commandLinkButton_LaserOn->setText(on ? tr("TURN EMISSION OFF")
                                                   : tr("TURN EMISSION ON"));
    else
        ui_->commandLinkButton_LaserOn->setText(on ? tr("STOP SCAN") : tr("START SCAN"));
}

void StatusFrame::SetEmissionButtonEnabled(bool enabled) {
    ui_->commandLinkButton_LaserOn->setEnabled(enabled);
}

void StatusFrame::HideFault() {
    ui_->label_SysErrorWord->hide();
    ui_->label_SysErrorWordValue->hide();
    ui_->pushButton_ClearFault->hide();
}

void StatusFrame::ShowFault(std::uint16_t code) {
    ui_->label_SysErrorWord->show();
    ui_->label_SysErrorWordValue->show();
    ui_->pushButton_ClearFault->show();
    ui_->label_SysErrorWordValue->setText(QString::number(code));
}

void StatusFrame::SetFaultLamp(Lamp lamp) {
    ShowLamp(*ui_->label_SystemFaultLED, lamp);
}

QAbstractButton* StatusFrame::ArmButton() const {
    return ui_->commandLinkButton_ArmDisarm;
}
QAbstractButton* StatusFrame::EmissionButton() const {
    return ui_->commandLinkButton_LaserOn;
}
QAbstractButton* StatusFrame::PointerButton() const {
    return ui_->commandLinkButton_EnableDisablePointer;
}
QAbstractButton* StatusFrame::ClearFaultButton() const {
    return ui_->pushButton_ClearFault;
}
QAbstractButton* StatusFrame::ShowErrorsButton() const {
    return ui_->commandLinkButton_showErrors;
}
QAbstractButton* StatusFrame::PowerOffButton() const {
    return ui_->toolButton_PowerOff;
}

} // namespace tarvex::panel
