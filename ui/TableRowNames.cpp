#include "ui/TableRowNames.h"

#include <QStringList>
#include <QTableWidget>

namespace tembrel::ui {

void nameRowsByColumn(QTableWidget& table, int column) {
    QStringList names;
    for (int row = 0; row < table.rowCount(); ++row) {
        const QTableWidgetItem* cell = table.item(row, column);
        names << (cell ? cell->text() : QString());
    }
    table.setVerticalHeaderLabels(names);
}

}  // namespace tembrel::ui
