#include "ExtendedStatus.h"

#include "LaserCache.h"
#include "Widgets.h"

#include <QCoreApplication>
#include <QHeaderView>

namespace tarvex::panel {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("MainWindow", text);
}

QString Number(float value, int decimals) {
    return QString::number(static_cast<double>(value), 'f', decimals);
}

// Every column in view, its long name wrapped rather than cut off.
void FitColumns(QTableWidget& table) {
    QHeaderView& header = *table.horizontalHeader();
    header.setDefaultAlignment(Qt::Alignment(Qt::AlignCenter) | Qt::Alignment(Qt::TextWordWrap));
    header.setSectionResizeMode(QHeaderView::Stretch);
    QFont font = header.font();
    font.setPointSize(8);
    header.setFont(font);
    header.setMinimumHeight(2 * QFontMetrics(font).lineSpacing() + 8);
}

} // namespace

void SetTableHeaders(QTableWidget& table, const QStringList& rows, const QStringList& columns) {
    table.clear();
    table.setRowCount(static_cast<int>(rows.size()));
    table.setColumnCount(static_cast<int>(columns.size()));
    table.setVerticalHeaderLabels(rows);
    table.setHorizontalHeaderLabels(columns);
    FitColumns(table);
}

QStringList ExtendedStatusColumns(ExtendedColumns columns) {
    if (columns == ExtendedColumns::Scan)
        return {Tr("Actual Temperature(C)"), Tr("Set point Temperature(C)"), Tr("TEC current(mA)"),
                Tr("QCL Voltage (V)"), Tr("Actual QCL current(mA)")};
    return {Tr("Actual Temperature(C)"),
            Tr("Set point Temperature(C)"),
            Tr("TEC current(mA)"),
            Tr("Vfet"),
            Tr("VSRC (V)"),
            Tr("QCL Voltage (V)"),
            Tr("Actual QCL current(mA)")};
}

void FillExtendedStatus(QTableWidget& table, ExtendedColumns columns, const LaserCache& cache) {
    const QStringList headers = ExtendedStatusColumns(columns);
    if (table.columnCount() != headers.size() ||
        table.horizontalHeaderItem(0)->text() != headers.front())
        SetTableHeaders(table, {Tr("QCL1"), Tr("QCL2"), Tr("QCL3"), Tr("QCL4")}, headers);
    else
        FitColumns(table);
    for (std::size_t i = 0; i < kMaxQcls; ++i) {
        const QclInfoParam& info = cache.qclInfo[i];
        const QclInfoParam2& info2 = cache.qclInfo2[i];
        QStringList cells = {Number(info.actual_temp, 3), Number(cache.qclParams[i].temp, 3),
                             Number(info.actual_tec_current, 0)};
        if (columns == ExtendedColumns::Tune)
            cells << Number(info2.qclVfet, 3) << Number(info2.qclVsrc, 3);
        cells << Number(info2.qclV, 3) << Number(info.actual_current, 1);
        // A slot without a QCL has no readbacks to show.
        const bool installed = i < cache.InstalledQcls();
        for (int column = 0; column < cells.size(); ++column)
            DisplayCell(table, static_cast<int>(i), column)
                ->setText(installed ? cells[column] : QString());
    }
}

} // namespace tarvex::panel
