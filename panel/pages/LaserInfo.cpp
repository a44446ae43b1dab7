#include "LaserInfo.h"

#include "UnitTexts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace tarvex::panel {

namespace {

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

QString VersionText(const FirmwareVersion& version) {
    return QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.patch);
}

QString MfgDateText(const LaserCache& cache) {
    const std::string date(reinterpret_cast<const char*>(cache.admin.mfg_date.data()),
                           cache.admin.mfg_date.size());
    return QString::fromLatin1(date.c_str());
}

QString HoursText(const LaserCache& cache) {
    return QString::number(static_cast<double>(cache.admin.hrs), 'f', 2);
}

void FillQclChooser(QComboBox& chooser, std::size_t installed) {
    chooser.clear();
    for (std::size_t i = 1; i <= installed; ++i)
        chooser.addItem(QCoreApplication::translate("MainWindow", "QCL %1").arg(i));
}

void ShowQclLimits(const QclLimitFields& f, const LaserCache& cache, int index,
                   const UnitTexts& texts) {
    if (index < 0 || static_cast<std::size_t>(index) >= cache.InstalledQcls())
        return;
    const AdminQclParams& q = cache.adminQcl[static_cast<std::size_t>(index)];
    f.serialNumber->setText(QString::fromStdString(FieldText(q.serial_num_length, q.serial_num)));
    f.minCurrent->setText(Grouped(q.min_drive_current));
    f.maxCurrent->setText(Grouped(q.max_drive_current));
    const bool cw = AllowsCw(q);
    const QString notAvailable = QCoreApplication::translate("MainWindow", "N/A");
    f.minCwCurrent->setText(cw ? Grouped(q.min_drive_cw_current) : notAvailable);
    f.maxCwCurrent->setText(cw ? Grouped(q.max_drive_cw_current) : notAvailable);
    f.minTemperature->setText(Temperature(q.min_drive_temp));
    f.maxTemperature->setText(Temperature(q.max_drive_temp));
    f.minPulseRate->setText(Whole(q.min_pulse_rate));
    f.maxPulseRate->setText(Grouped(q.max_pulse_rate));
    f.pulseRateUnit->setText(RateUnit(q.pulse_rate_unit));
    f.minPulseWidth->setText(Whole(q.min_pulse_width));
    f.maxPulseWidth->setText(Grouped(q.max_pulse_width));
    f.pulseWidthUnit->setText(WidthUnit(q.pulse_width_unit));
    f.minDutyCycle->setText(General(q.min_duty_cycle));
    f.maxDutyCycle->setText(General(MaxDutyCycle(q)));
    f.minScanRate->setText(General(q.min_scan_rate));
    f.maxScanRate->setText(General(q.max_scan_rate));
    f.minDwellTime->setText(QString::number(q.min_dwell_time));
    f.maxDwellTime->setText(QString::number(q.max_dwell_time));
    f.minTuningRange->setText(General(q.min_ww));
    f.maxTuningRange->setText(General(q.max_ww));
    f.tuningRangeUnit->setText(texts.Unit(q.ww_unit));
}

} // namespace tarvex::panel
