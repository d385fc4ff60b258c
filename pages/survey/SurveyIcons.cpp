#include "pages/survey/SurveyIcons.h"

#include "pages/survey/logic/SurveyListing.h"

#include <QPainter>

namespace tembrel::survey {

QPixmap RowIconPixmap(int icon) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool current = icon % 2 == 1;
    const int kind = icon / 2;  // 0 ad hoc, 1 802.11b, 2 802.11g/a
    const QColor colours[] = {QColor(160, 96, 32), QColor(40, 96, 176), QColor(32, 128, 64)};
    painter.setPen(QPen(colours[kind], 1.5));
    if (kind == 0) {
        // Two stations facing each other.
        painter.drawRect(QRectF(1.5, 5.5, 5, 4));
        painter.drawRect(QRectF(9.5, 5.5, 5, 4));
        painter.drawLine(QPointF(6.5, 7.5), QPointF(9.5, 7.5));
    } else {
        // A mast with its waves.
        painter.drawLine(QPointF(8, 6), QPointF(8, 15));
        painter.drawArc(QRectF(4, 2, 8, 8), 30 * 16, 120 * 16);
        painter.drawArc(QRectF(1, -1, 14, 14), 35 * 16, 110 * 16);
        painter.setFont(QFont(painter.font().family(), 5));
        painter.drawText(QRectF(9, 9, 7, 7), Qt::AlignCenter, kind == 1 ? "b" : "g");
    }
    if (current) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 190, 0));
        painter.drawEllipse(QRectF(0, 10, 6, 6));
    }
    return pixmap;
}

}  // namespace tembrel::survey
