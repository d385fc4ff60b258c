#pragma once
// A statistics table: four columns "Element", "Data", "Element", "Data", each a quarter of the
// list's width less one pixel, with grid lines; labels in columns 0 and 2, values in 1 and 3.

#include "pages/monitoring/logic/StatisticsModel.h"

#include <QTableWidget>

namespace tembrel::monitoring {

class StatisticsTable : public QTableWidget {
    Q_OBJECT
public:
    StatisticsTable(const TableLabels& labels, int controlId, const QString& accessibleName,
                    QWidget* parent = nullptr);

    void setValues(const TableValues& values);
    // The text of a cell ("" for an empty one).
    QString cellText(int row, int column) const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitColumns();
};

}  // namespace tembrel::monitoring
