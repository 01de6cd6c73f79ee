#include "ApplicationIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A green disc with a black eighth note, the same at every size.
QPixmap drawn(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1d, 0xb9, 0x54));
    p.drawEllipse(QRectF(2, 2, 60, 60));
    p.setBrush(QColor(0x10, 0x10, 0x10));
    p.drawEllipse(QRectF(18, 38, 14, 11));
    p.drawRect(QRectF(29, 14, 4, 30));
    QPainterPath flag;
    flag.moveTo(33, 14);
    flag.cubicTo(40, 18, 46, 22, 44, 32);
    flag.cubicTo(42, 26, 38, 24, 33, 23);
    flag.closeSubpath();
    p.drawPath(flag);
    return pixmap;
}

} // namespace

QIcon ApplicationIcon::icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawn(size));
    return icon;
}
