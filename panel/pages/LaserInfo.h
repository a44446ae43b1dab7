#pragma once

#include "LaserCache.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tarvex::panel {

struct UnitTexts;

// The texts of the laser's identity and of a QCL's limits, as the About and Factory pages show
// them.

// "major.minor.patch".
QString VersionText(const FirmwareVersion& version);
// The manufacturing date, as the laser keeps it (10 characters).
QString MfgDateText(const LaserCache& cache);
// Hours of operation, 2 decimals.
QString HoursText(const LaserCache& cache);

// The fields that show one QCL's limits: minimum and maximum of each, and the unit labels.
struct QclLimitFields {
    QLabel* serialNumber;
    QLineEdit* minCurrent;
    QLineEdit* maxCurrent;
    QLineEdit* minCwCurrent;
    QLineEdit* maxCwCurrent;
    QLineEdit* minTemperature;
    QLineEdit* maxTemperature;
    QLineEdit* minPulseRate;
    QLineEdit* maxPulseRate;
    QLabel* pulseRateUnit;
    QLineEdit* minPulseWidth;
    QLineEdit* maxPulseWidth;
    QLabel* pulseWidthUnit;
    QLineEdit* minDutyCycle;
    QLineEdit* maxDutyCycle;
    QLineEdit* minScanRate;
    QLineEdit* maxScanRate;
    QLineEdit* minDwellTime;
    QLineEdit* maxDwellTime;
    QLineEdit* minTuningRange;
    QLineEdit* maxTuningRange;
    QLabel* tuningRangeUnit;
};

// Fills the fields with the serial number and limits of the QCL at `index` (0-based; nothing
// for one not installed): the drive currents and the largest pulse rate and width as whole
// numbers with thousands separators, the smallest rate and width as plain whole numbers, the
// temperatures with 2 decimals, the rest in general notation; "N/A" for the CW currents of a
// QCL that cannot run CW.
void ShowQclLimits(const QclLimitFields& fields, const LaserCache& cache, int index,
                   const UnitTexts& texts);

// "QCL 1" up to the number of QCLs installed.
void FillQclChooser(QComboBox& chooser, std::size_t installed);

} // namespace tarvex::panel
