#pragma once
// A table whose row header is hidden still gives screen readers a header for each row, the row's
// number unless told otherwise; a cell is then read as "3, 575". nameRowsByColumn() names each
// row by the text of one of its cells (a network's name, a register's), as a user reads the row.

class QTableWidget;

namespace tembrel::ui {

void nameRowsByColumn(QTableWidget& table, int column);

}  // namespace tembrel::ui
