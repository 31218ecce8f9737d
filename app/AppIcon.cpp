#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

// Drawn on an image rather than a pixmap, so it needs no display connection.
QImage DrawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Ceiling mount and base plate.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x44, 0x4c, 0x5c));
    p.drawRoundedRect(QRectF(4, 4, 24, 5), 1.5, 1.5);
    // The dome.
    QPainterPath dome;
    dome.moveTo(6, 9);
    dome.arcTo(QRectF(6, -2, 20, 26), 180, 180);
    dome.lineTo(26, 9);
    dome.closeSubpath();
    p.setBrush(QColor(0x2a, 0x5d, 0xb0));
    p.drawPath(dome);
    // Lens and its glint.
    p.setBrush(QColor(0x10, 0x14, 0x20));
    p.drawEllipse(QPointF(16, 16), 4.5, 4.5);
    p.setBrush(QColor(0xf7, 0xf7, 0xff));
    p.drawEllipse(QPointF(14.5, 14.5), 1.3, 1.3);
    p.end();
    return image;
}

QIcon MakeAppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(DrawAppIcon(size)));
    }
    return icon;
}
