#include "RangeTable.h"

#include "KTarvexController.h"
#include "UnitTexts.h"
#include "Widgets.h"

#include <QTableWidget>

namespace tarvex::panel {

QString FormatWw(float value, std::uint8_t unit) {
    return QString::number(static_cast<double>(value), 'f', unit == units::kWavenumber ? 1 : 2);
}

QString TuningRangeText(const TuningRange& overall, std::uint8_t unit, const UnitTexts& texts) {
    const TuningRange range = overall.In(unit);
    return QStringLiteral("Tuning Range from  ") +
           QString::number(static_cast<double>(range.min), 'f', 2) + QStringLiteral("  to  ") +
           QString::number(static_cast<double>(range.max), 'f', 2) + QStringLiteral("  ") +
           texts.Unit(unit);
}

void FillTuningRangeRow(QTableWidget& table, const KTarvexController& controller,
                        std::uint8_t unit) {
    const LaserCache cache = controller.Snapshot();
    for (std::size_t i = 0; i < cache.InstalledQcls(); ++i) {
        QTableWidgetItem* item = DisplayCell(table, 0, static_cast<int>(i));
        if (!item)
            continue;
        const TuningRange range = QclTuningRange(cache.adminQcl[i]).In(unit);
        item->setText(FormatWw(range.min, unit) + QStringLiteral(" to ") +
                      FormatWw(range.max, unit));
    }
}

void MarkTuningRangeCell(QTableWidget& table, int column, RangeCell cell) {
    QTableWidgetItem* item = DisplayCell(table, 0, column);
    if (!item)
        return;
    if (cell == RangeCell::Empty)
        item->setText(QString());
    item->setBackground(cell == RangeCell::Active ? QColor(Qt::green) : QColor(Qt::white));
}

} // namespace tarvex::panel
