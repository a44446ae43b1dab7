#include "PreferredQcl.h"

#include <QTableWidget>

namespace tarvex::panel {

std::uint8_t ToggledPreferredQcl(std::uint8_t preferred, int column) {
    const auto clicked = static_cast<std::uint8_t>(column + 1);
    return preferred == clicked ? 0 : clicked;
}

void MarkPreferredQcl(QTableWidget& table, std::uint8_t preferred) {
    for (int column = 0; column < table.columnCount(); ++column) {
        QTableWidgetItem* header = table.horizontalHeaderItem(column);
        if (!header)
            continue;
        const bool selected = column + 1 == preferred;
        header->setForeground(selected ? QColor(Qt::darkGreen) : QColor(Qt::black));
        header->setBackground(QColor(selected ? "lightblue" : "white"));
        header->setFont(QFont(QStringLiteral("arial"), selected ? 14 : 8));
    }
}

} // namespace tarvex::panel
