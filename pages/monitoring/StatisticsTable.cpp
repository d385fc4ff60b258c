#include "pages/monitoring/StatisticsTable.h"
#include "ui/ControlId.h"

#include <QHeaderView>

namespace tembrel::monitoring {
namespace {

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

StatisticsTable::StatisticsTable(const TableLabels& labels, int controlId, const QString& accessibleName,
                                 QWidget* parent)
    : QTableWidget(static_cast<int>(labels.size()), 4, parent) {
    ui::SetControlId(*this, controlId);
    setAccessibleName(accessibleName);
    setHorizontalHeaderLabels({"Element", "Data", "Element", "Data"});
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::TabFocus);
    setTabKeyNavigation(false);  // Tab leaves the table for the next control
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Compact rows, so that every row is in sight without scrolling.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QStringList rowNames;
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < 4; ++column) setItem(row, column, new QTableWidgetItem);
        item(row, 0)->setText(qt(labels[static_cast<size_t>(row)][0]));
        item(row, 2)->setText(qt(labels[static_cast<size_t>(row)][1]));
        // The hidden row header still names the row to a screen reader, instead of a number.
        const QString left = item(row, 0)->text();
        const QString right = item(row, 2)->text();
        rowNames << (right.isEmpty() ? left : left + ", " + right);
    }
    setVerticalHeaderLabels(rowNames);
    fitColumns();
    setMinimumHeight(sizeHint().height());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatisticsTable::setValues(const TableValues& values) {
    for (int row = 0; row < rowCount() && row < static_cast<int>(values.size()); ++row) {
        for (int column : {1, 3}) {
            // A value is read with its counter's name ("Total Packet: 575"), not by position.
            const QString value = QString::fromStdString(values[static_cast<size_t>(row)][column / 2]);
            const QString name = item(row, column - 1)->text();
            item(row, column)->setText(value);
            item(row, column)->setData(Qt::AccessibleTextRole,
                                       name.isEmpty() || value.isEmpty() ? value : QStringLiteral("%1: %2").arg(name, value));
        }
    }
}

QString StatisticsTable::cellText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

QSize StatisticsTable::sizeHint() const {
    const int height = horizontalHeader()->sizeHint().height() + rowCount() * verticalHeader()->defaultSectionSize() +
                       2 * frameWidth() + 2;
    return {QTableWidget::sizeHint().width(), height};
}

void StatisticsTable::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    fitColumns();
}

void StatisticsTable::fitColumns() {
    const int width = viewport()->width() / 4 - 1;
    for (int column = 0; column < 4; ++column) setColumnWidth(column, width);
}

}  // namespace tembrel::monitoring
