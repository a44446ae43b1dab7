#include "AboutPage.h"

#include "KTarvexController.h"
#include "PanelShell.h"
#include "UnitTexts.h"
#include "Widgets.h"

#include <QLocale>

namespace tarvex::panel {

namespace {

QString Version(const FirmwareVersion& v) {
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.patch);
}

// A 16-bit version as "high.low".
QString ShortVersion(std::uint16_t v) {
    return QStringLiteral("%1.%2").arg(v >> 8).arg(v & 0xFF);
}

QString Grouped(float value) {
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(value));
}

QString Whole(float value) {
    return QString::number(static_cast<qlonglong>(value));
}

QString General(float value) {
    return QString::number(static_cast<double>(value), 'g', 6);
}

QString Temperature(float value) {
    return QString::number(static_cast<double>(value), 'f', 2);
}

QString RateUnit(std::uint8_t unit) {
    switch (unit) {
    case units::kKHz:
        return QStringLiteral("KHz");
    case units::kMHz:
        return QStringLiteral("MHz");
    default:
        return QStringLiteral("Hz");
    }
}

QString WidthUnit(std::uint8_t unit) {
    switch (unit) {
    case units::kMs:
        return QStringLiteral("ms");
    case units::kUs:
        return QStringLiteral("\u00b5s");
    default:
        return QStringLiteral("ns");
    }
}

} // namespace

AboutPage::AboutPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.comboBox_QCLs, &QComboBox::currentIndexChanged, this,
            &AboutPage::comboBoxQCLsIndexChanged);
}

void AboutPage::InitializeUI() {
    // Scan rate and dwell time limits are service information: their rows stay hidden.
    SetVisible({ui.label_ScanRate, ui.lineEdit_MinScanRate, ui.lineEdit_MaxScanRate,
                ui.label_ScanRateUnit, ui.label_DwellTime, ui.lineEdit_MinDwellTime,
                ui.lineEdit_MaxDwellTime, ui.label_DwellTimeUnit},
               false);
    FillIdentity();
    ui.comboBox_QCLs->clear();
    const std::size_t installed = shell_.Controller().InstalledQcls();
    for (std::size_t i = 1; i <= installed; ++i)
        ui.comboBox_QCLs->addItem(tr("QCL %1").arg(i));
}

void AboutPage::Opening() {
    FillIdentity();
    // Through "no QCL", so that the box is refilled even when QCL 1 was shown already.
    ui.comboBox_QCLs->setCurrentIndex(-1);
    ui.comboBox_QCLs->setCurrentIndex(0);
}

void AboutPage::FillIdentity() {
    const KTarvexController& controller = shell_.Controller();
    const LaserCache c = controller.Snapshot();
    const std::string date(reinterpret_cast<const char*>(c.admin.mfg_date.data()),
                           c.admin.mfg_date.size());
    ui.label_MfgDateValue->setText(QString::fromLatin1(date.c_str()));
    ui.label_ModelNumberValue->setText(QString::fromStdString(controller.ModelNumber()));
    ui.label_SerialNumberValue->setText(QString::fromStdString(controller.SerialNumber()));
    ui.label_SoftwareVersionValue->setText(QCoreApplication::applicationVersion());
    ui.label_FirmwareVersionValue->setText(Version(c.firmware));
    ui.label_HoursOfOperationValue->setText(
        QString::number(static_cast<double>(c.admin.hrs), 'f', 2));
    ui.label_motionModelTypeValue->setText(QString::number(c.admin.motionModuleType));
    // Controllers from 1.7.15 on report the motion board's own version.
    ui.label_motionFirmwareVersionValue->setText(c.firmware.AtLeast(1, 7, 15)
                                                     ? Version(c.motionFirmware)
                                                     : ShortVersion(c.admin.motionFirmwareVersion));
    ui.label_motionHardwareVersionValue->setText(ShortVersion(c.admin.motionHardwareVersion));
}

void AboutPage::comboBoxQCLsIndexChanged(int index) {
    const LaserCache c = shell_.Controller().Snapshot();
    if (index < 0 || static_cast<std::size_t>(index) >= c.InstalledQcls())
        return;
    const AdminQclParams& q = c.adminQcl[index];
    ui.label_ModelSerialNumberValue->setText(
        QString::fromStdString(FieldText(q.serial_num_length, q.serial_num)));
    ui.lineEdit_MinDriveCurrent->setText(Grouped(q.min_drive_current));
    ui.lineEdit_MaxDriveCurrent->setText(Grouped(q.max_drive_current));
    const bool cw = AllowsCw(q);
    ui.lineEdit_MinDriveCwCurrent->setText(cw ? Grouped(q.min_drive_cw_current) : tr("N/A"));
    ui.lineEdit_MaxDriveCwCurrent->setText(cw ? Grouped(q.max_drive_cw_current) : tr("N/A"));
    ui.lineEdit_MinTemperature->setText(Temperature(q.min_drive_temp));
    ui.lineEdit_MaxTemperature->setText(Temperature(q.max_drive_temp));
    ui.lineEdit_MinPulseRate->setText(Whole(q.min_pulse_rate));
    ui.lineEdit_MaxPulseRate->setText(Grouped(q.max_pulse_rate));
    ui.label_PulseRateUnit->setText(RateUnit(q.pulse_rate_unit));
    ui.lineEdit_MinPulseWidth->setText(Whole(q.min_pulse_width));
    ui.lineEdit_MaxPulseWidth->setText(Grouped(q.max_pulse_width));
    ui.label_PulseWidthUnit->setText(WidthUnit(q.pulse_width_unit));
    ui.lineEdit_MinDutyCycle->setText(General(q.min_duty_cycle));
    ui.lineEdit_MaxDutyCycle->setText(General(MaxDutyCycle(q)));
    ui.lineEdit_MinScanRate->setText(General(q.min_scan_rate));
    ui.lineEdit_MaxScanRate->setText(General(q.max_scan_rate));
    ui.lineEdit_MinDwellTime->setText(QString::number(q.min_dwell_time));
    ui.lineEdit_MaxDwellTime->setText(QString::number(q.max_dwell_time));
    ui.lineEdit_MinTuningRange->setText(General(q.min_ww));
    ui.lineEdit_MaxTuningRange->setText(General(q.max_ww));
    ui.label_TuningRangeUnit->setText(shell_.Texts().Unit(q.ww_unit));
}

} // namespace tarvex::panel
