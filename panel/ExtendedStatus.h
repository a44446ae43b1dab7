#pragma once

#include <QStringList>

class QTableWidget;

namespace tarvex {
struct LaserCache;
}

namespace tarvex::panel {

// Gives `table` these row and column headers (the extended status table and the scan settings
// view share one table on the Scan page).
void SetTableHeaders(QTableWidget& table, const QStringList& rows, const QStringList& columns);

// Which readbacks an extended status table shows: the Scan page's leaves out the FET and source
// voltages the Tune page's carries.
enum class ExtendedColumns { Scan, Tune };
QStringList ExtendedStatusColumns(ExtendedColumns columns);

// Sets up the table for the installed QCLs' readbacks and fills it from the cache.
void FillExtendedStatus(QTableWidget& table, ExtendedColumns columns, const LaserCache& cache);

} // namespace tarvex::panel
