#pragma once

#include <QTableWidget>
#include <QWidget>

#include <initializer_list>

namespace tarvex::panel {

// Shows or hides, enables or disables several widgets at once.
inline void SetVisible(std::initializer_list<QWidget*> widgets, bool visible) {
    for (QWidget* widget : widgets)
        widget->setVisible(visible);
}
inline void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets)
        widget->setEnabled(enabled);
}

// A read-only, centred cell of a table whose cells the panel writes, created the first time it is
// asked for; null outside the table.
inline QTableWidgetItem* DisplayCell(QTableWidget& table, int row, int column) {
    if (row >= table.rowCount() || column >= table.columnCount())
        return nullptr;
    QTableWidgetItem* item = table.item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        item->setTextAlignment(Qt::AlignCenter);
        table.setItem(row, column, item);
    }
    return item;
}

} // namespace tarvex::panel
