#include "app/TrayIconArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tembrel {

namespace {

const QColor kCardBody(0x2f, 0x5f, 0xa8);
const QColor kCardEdge(0x1a, 0x33, 0x5c);
const QColor kContacts(0xd8, 0xb0, 0x40);
const QColor kWaveOn(0x2e, 0xc2, 0x40);
const QColor kWaveOff(0x9a, 0x9a, 0x9a);
const QColor kAlarm(0xd8, 0x24, 0x24);

// Coordinates are laid out on a 32 x 32 grid and scaled to the requested size.
void DrawCard(QPainter& p, bool present)
{
    const QRectF body(3, 15, 22, 13);
    if (present) {
        p.setPen(QPen(kCardEdge, 1.2));
        p.setBrush(kCardBody);
    } else {
        p.setPen(QPen(kWaveOff, 1.6, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
    }
    p.drawRoundedRect(body, 2, 2);
    if (present) {
        p.setPen(Qt::NoPen);
        p.setBrush(kContacts);
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(6 + i * 4.5, 24, 2.5, 3));
        // The antenna the waves leave from.
        p.setPen(QPen(kCardEdge, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(21, 15), QPointF(21, 9));
    }
}

void DrawWaves(QPainter& p, const QColor& colour)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    for (int ring = 0; ring < 3; ++ring) {
        const double r = 4 + ring * 4;
        p.drawArc(QRectF(21 - r, 9 - r, 2 * r, 2 * r), 20 * 16, 70 * 16);
    }
}

void DrawCross(QPainter& p)
{
    p.setPen(QPen(kAlarm, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 20), QPointF(29, 27));
    p.drawLine(QPointF(29, 20), QPointF(22, 27));
}

void DrawSlash(QPainter& p)
{
    p.setPen(QPen(kAlarm, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 29), QPointF(28, 5));
}

}  // namespace

QImage DrawTrayIcon(int resourceId, int size)
{
    if (size <= 0 || (resourceId != kIconConnected && resourceId != kIconNotConnected &&
                      resourceId != kIconCardUnplugged))
        return QImage();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    switch (resourceId) {
    case kIconConnected:
        DrawCard(p, true);
        DrawWaves(p, kWaveOn);
        break;
    case kIconNotConnected:
        DrawCard(p, true);
        DrawWaves(p, kWaveOff);
        DrawCross(p);
        break;
    default:
        DrawCard(p, false);
        DrawSlash(p);
        break;
    }
    return image;
}

QIcon TrayIcon(int resourceId)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        const QImage image = DrawTrayIcon(resourceId, size);
        if (image.isNull())
            return QIcon();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace tembrel
