#pragma once

#include "TuningRange.h"

#include <QString>

#include <cstdint>

class QTableWidget;

namespace tarvex {
class KTarvexController;
}

namespace tarvex::panel {

struct UnitTexts;

// A wavelength (2 decimals) or wavenumber (1 decimal) as the range texts print it.
QString FormatWw(float value, std::uint8_t unit);

// "Tuning Range from  <low>  to  <high>  <unit>" for the laser's overall range in `unit`.
QString TuningRangeText(const TuningRange& overall, std::uint8_t unit, const UnitTexts& texts);

// Row 0 of a page's tuning-range table: column i holds QCL i + 1's range in `unit`, centred.
void FillTuningRangeRow(QTableWidget& table, const KTarvexController& controller,
                        std::uint8_t unit);

// How the status display marks a QCL's cell: no QCL in the slot, the QCL now lasing, another.
enum class RangeCell { Empty, Active, Inactive };
void MarkTuningRangeCell(QTableWidget& table, int column, RangeCell cell);

} // namespace tarvex::panel
